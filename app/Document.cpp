#include "app/Document.h"

#include <QMetaObject>

#include "app/AppState.h"
#include "app/Autosave.h"
#include "app/Commands.h"
#include "app/DrawingWindow.h"
#include "app/FileCommands.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "model/Drawing.h"
#include "model/HitIndex.h"
#include "output/PsReader.h"
#include "tools/Tool.h"

void RestartView() {
  DrawingWindow* client = App().client;
  if (client) {
    client->ResetScrollBars();
    client->SetFullRepaint();
    client->InvalidateAll();
  }
  if (App().mainWindow) {
    QMetaObject::invokeMethod(
        App().mainWindow, [] { DispatchCommand(kCommandFitInWindow); }, Qt::QueuedConnection);
  }
}

QString TitleFor(const std::string& path) {
  size_t slash = path.rfind('/');
  QString name =
      slash == std::string::npos ? "(Untitled)" : QString::fromStdString(path.substr(slash + 1));
  return name + " - Ondara Draw";
}

void UpdateTitle() {
  if (App().mainWindow && App().drawing) {
    App().mainWindow->setWindowTitle(TitleFor(App().drawing->path));
  }
  // Every save, open and new drawing ends here: an unmodified drawing needs no autosave.
  if (App().drawing && !App().drawing->modified) DiscardAutosave();
}

bool ConfirmDiscard() {
  Drawing* drawing = App().drawing;
  if (!drawing || !drawing->modified) return true;
  QString path = drawing->path.empty() ? "(Untitled)" : QString::fromStdString(drawing->path);
  QString text = path + "\nThe drawing has changed.\n\nDo you want to save the changes?";
  switch (AskQuestion(App().mainWindow, "Ondara Draw", text, true)) {
    case Answer::kNo:
      return true;
    case Answer::kCancel:
      return false;
    case Answer::kYes:
      break;
  }
  // An untitled drawing is named through Save As first; a cancelled one keeps the drawing.
  return SaveCurrentDrawing();
}

void ClearDrawing() {
  DiscardAutosave();
  Drawing* drawing = App().drawing;
  drawing->NewDrawing();
  drawing->defaultStyle = PaintStyle{};
  drawing->modified = 0;
}

namespace {

// Reads `file` into the drawing, which then goes by `path`; a failed read leaves an empty,
// untitled drawing, since whatever it left behind is not the named file.
bool ReadDrawingAs(const std::string& file, const std::string& path, bool modified) {
  Drawing* drawing = App().drawing;
  drawing->path = path;
  const bool ok = OpenDrawingFile(file.c_str(), drawing) != 0;
  if (!ok) {
    drawing->NewDrawing();
    drawing->path.clear();
  }
  drawing->modified = ok && modified ? 1 : 0;
  // A large drawing's hit index is built while the user waits for the file anyway, so the
  // first click on it answers at once.
  if (ok) UpdateHitIndex(drawing->shapes());
  RestartView();
  return ok;
}

}  // namespace

bool OpenAsCurrentFile(const std::string& path) { return ReadDrawingAs(path, path, false); }

bool RecoverDrawing(const std::string& file, const std::string& path) {
  ClearDrawing();
  // Not saved under its own name since the changes it holds.
  const bool ok = ReadDrawingAs(file, path, true);
  UpdateTitle();
  return ok;
}

void NewDrawingCommand() {
  if (!ConfirmDiscard()) return;
  ClearDrawing();
  App().drawing->path.clear();
  UpdateTitle();
  RestartView();
}

void OpenDroppedFile(const std::string& path) {
  SelectTool(kToolSelection);
  if (!ConfirmDiscard()) return;
  ClearDrawing();
  OpenAsCurrentFile(path);
  UpdateTitle();
}

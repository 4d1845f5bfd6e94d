#include "app/FileCommands.h"

#include <algorithm>
#include <new>

#include "app/AppState.h"
#include "app/Document.h"
#include "app/DrawingWindow.h"
#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/Print.h"
#include "model/Drawing.h"
#include "model/InsertShapesAction.h"
#include "output/ExportFile.h"
#include "output/InsertCommands.h"
#include "platform/msgbox/Messages.h"
#include "tools/Tool.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/ProgressWindow.h"

namespace {

// The file kinds of the Import and Insert dialogs' filters, in their order.
constexpr int32_t kImportKinds[] = {kFileIllustrator, kFileMetafile};
constexpr int32_t kInsertKinds[] = {kFileBitmap, kFileText, kFileMetafile, kFileIllustrator,
                                    kFileDrawing};

template <size_t N>
int32_t KindOfFilter(const int32_t (&kinds)[N], int filter) {
  return filter >= 1 && size_t(filter) <= N ? kinds[filter - 1] : 0;
}

// Status text and wait cursor for the length of one piece of work.
class BusyScope {
 public:
  explicit BusyScope(const char* status) {
    SetStatusText(status);
    BeginWaitCursor();
  }
  ~BusyScope() {
    EndWaitCursor();
    SetStatusText("");
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

// Window pixels of the drawing window to page points, for what is placed "at the top left of
// the window"; without a window, the page's own top-left corner.
ViewToPage WindowToPage(const Drawing& drawing) {
  DrawingWindow* client = App().client;
  if (!client) return PageTopLeftMapping(drawing);
  const QPointF o = client->ToDrawing(QPointF(0, 0));
  const QPointF x = client->ToDrawing(QPointF(1, 0));
  const QPointF y = client->ToDrawing(QPointF(0, 1));
  ViewToPage v;
  v.m = MakeMatrix(float(x.x() - o.x()), float(x.y() - o.y()), float(y.x() - o.x()),
                   float(y.y() - o.y()), float(o.x()), float(o.y()));
  return v;
}

void FullRedraw() {
  if (DrawingWindow* client = App().client) {
    client->SetFullRepaint();
    client->InvalidateAll();
  }
}

// Writes the drawing under `path`, or under a name asked for first when `path` is empty.
bool SaveDrawingAs(Drawing& drawing, std::string path) {
  if (path.empty()) {
    FileChoice choice;
    if (!RunFileDialog(FileDialogFor(FileDialogUse::kSaveAs), &choice)) return false;
    path = choice.path;
  }
  bool ok;
  {
    BusyScope busy("Saving...");
    ok = SaveDrawing(drawing, path) != 0;
  }
  UpdateTitle();
  return ok;
}

}  // namespace

bool SaveCurrentDrawing() {
  Drawing* drawing = App().drawing;
  return drawing && SaveDrawingAs(*drawing, drawing->path);
}

void OpenCommand() {
  SelectTool(kToolSelection);
  if (!ConfirmDiscard()) return;
  FileChoice choice;
  if (!RunFileDialog(FileDialogFor(FileDialogUse::kOpen), &choice)) return;
  RememberOpenedFile(choice.path);
  ClearDrawing();
  OpenAsCurrentFile(choice.path);
  UpdateTitle();
}

bool SaveCommand() {
  SelectTool(kToolSelection);
  return SaveCurrentDrawing();
}

bool SaveAsCommand() {
  SelectTool(kToolSelection);
  Drawing* drawing = App().drawing;
  return drawing && SaveDrawingAs(*drawing, "");
}

void ImportCommand() {
  SelectTool(kToolSelection);
  if (!ConfirmDiscard()) return;
  FileChoice choice;
  if (!RunFileDialog(FileDialogFor(FileDialogUse::kImport), &choice)) return;
  Drawing* drawing = App().drawing;
  ImportDrawing(*drawing, choice.path, KindOfFilter(kImportKinds, choice.filter));
  RestartView();
  UpdateTitle();
}

void ExportCommand() {
  Drawing* drawing = App().drawing;
  if (!drawing) return;
  FileChoice choice;
  if (!RunFileDialog(FileDialogFor(FileDialogUse::kExport), &choice)) return;
  const int32_t kind = ExportKindForFilter(choice.filter);
  if (!kind) return;
  // The dialogs start from the last export's choices and keep what was chosen for the next.
  ExportOptions& kept = TheExportOptions();
  ExportOptions options = kept;
  options.lastFilter = choice.filter;
  if (kind == kExportEps && !EpsOptionsDialog(App().mainWindow, &options)) return;
  if (kind == kExportBmp) {
    int32_t smoothing = options.smoothing >= 4 ? 2 : options.smoothing >= 2 ? 1 : 0;
    if (!BitmapOptionsDialog(App().mainWindow, &smoothing)) return;
    options.smoothing = 1 << std::clamp(smoothing, 0, 2);
  }
  kept = options;
  ProgressWindow progress(App().mainWindow);
  BeginWaitCursor();
  ExportDrawing(*drawing, kind, choice.path, options, &progress);
  EndWaitCursor();
}

void InsertCommand() {
  SelectTool(kToolSelection);
  Drawing* drawing = App().drawing;
  if (!drawing) return;
  FileChoice choice;
  if (!RunFileDialog(FileDialogFor(FileDialogUse::kInsert), &choice)) return;
  const int32_t before = drawing->shapes().Count();
  const int32_t kind = KindOfFilter(kInsertKinds, choice.filter);
  if (InsertFile(*drawing, choice.path, kind, WindowToPage(*drawing))) {
    // The whole insertion is one step back; the action holds the shapes once undone.
    auto* action = new (std::nothrow) InsertShapesAction(drawing, before);
    if (action && action->Valid()) {
      drawing->undo().Record(action);
    } else {
      delete action;
    }
  }
  FullRedraw();
  if (App().client) App().client->SelectRedraw();
}

void PrintCommand() {
  SelectTool(kToolSelection);
  Drawing* drawing = App().drawing;
  if (!drawing) return;
  PrintChoice choice;
  if (!RunPrintDialog(&choice)) return;
  BusyScope busy("Printing...");
  PrintDrawing(*drawing, choice);
}

void PrintSetupCommand() {
  SelectTool(kToolSelection);
  RunPageSetupDialog();
}

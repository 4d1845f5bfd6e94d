#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include "app/AppState.h"
#include "app/MainWindow.h"
#include "app/Print.h"

namespace {

FileDialogHook& Hook() {
  static FileDialogHook hook;
  return hook;
}

// The Open dialog's filter for the next time, from 1; a custom extension
// (with its dot) adds a fourth entry.
int g_openFilter = 1;
QString g_customExtension;

QStringList FiltersFor(FileDialogUse use) {
  switch (use) {
    case FileDialogUse::kOpen: {
      QStringList list{"Ondara Draw files (*.QLX)", "Adobe Illustrator 88 files (*.AI)",
                       "All files (*.*)"};
      if (!g_customExtension.isEmpty()) list << QString("Custom (*%1)").arg(g_customExtension);
      return list;
    }
    case FileDialogUse::kSaveAs:
      return {"Ondara Draw files (*.qlx)"};
    case FileDialogUse::kExport:
      return {"EPS files (*.eps)",
              "PostScript files (*.ps)",
              "Adobe Illustrator files (*.ai)",
              "Adobe Acrobat files (*.pdf)",
              "Windows Metafiles (*.wmf)",
              "Bitmap files (*.bmp)",
              "TIFF files (*.tif)"};
    case FileDialogUse::kInsert:
      return {"Bitmap files (*.bmp)", "Text files (*.txt)", "Windows Metafiles (*.wmf)",
              "Adobe Illustrator 88 files (*.AI)", "Ondara Draw files (*.qlx)"};
    case FileDialogUse::kImport:
      return {"Adobe Illustrator 88 files (*.ai)", "Windows Metafiles (*.wmf)"};
  }
  return {};
}

QString TitleFor(FileDialogUse use) {
  switch (use) {
    case FileDialogUse::kExport:
      return "Export";
    case FileDialogUse::kInsert:
      return "Insert";
    case FileDialogUse::kImport:
      return "Import";
    default:
      return {};
  }
}

// "*.eps" of "EPS files (*.eps)": the suffix a typed name without one takes.
QString SuffixOf(const QString& filter) {
  int star = filter.lastIndexOf("*.");
  if (star < 0) return {};
  QString suffix = filter.mid(star + 2);
  suffix.chop(1);  // ")"
  return suffix == "*" ? QString() : suffix.toLower();
}

bool ShowDialog(const FileDialogRequest& request, FileChoice* choice) {
  QFileDialog dialog(App().mainWindow, request.title, request.directory);
  dialog.setObjectName(request.save ? "GetSaveFileName" : "GetOpenFileName");
  // The toolkit's own dialog, so that its filters match names without regard to case and tests
  // can reach its controls.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(request.filters);
  const int start = request.filter - 1;
  if (start >= 0 && start < request.filters.size()) {
    dialog.selectNameFilter(request.filters[start]);
    if (request.save) dialog.setDefaultSuffix(SuffixOf(request.filters[start]));
  }
  if (request.save) {
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& f) { dialog.setDefaultSuffix(SuffixOf(f)); });
  }
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return false;
  choice->path = files.first().toStdString();
  choice->filter = int(request.filters.indexOf(dialog.selectedNameFilter())) + 1;
  if (choice->filter < 1) choice->filter = 1;
  return true;
}

}  // namespace

FileDialogRequest FileDialogFor(FileDialogUse use) {
  FileDialogRequest r;
  r.use = use;
  r.title = TitleFor(use);
  r.filters = FiltersFor(use);
  r.filter = use == FileDialogUse::kOpen ? g_openFilter : 1;
  r.directory = QString::fromStdString(App().settings.openDir);
  r.save = use == FileDialogUse::kSaveAs || use == FileDialogUse::kExport;
  return r;
}

bool RunFileDialog(const FileDialogRequest& request, FileChoice* choice) {
  const bool ok = Hook() ? Hook()(request, choice) : ShowDialog(request, choice);
  if (!ok || choice->path.empty()) return false;
  const QString dir = QFileInfo(QString::fromStdString(choice->path)).absolutePath();
  if (!dir.isEmpty()) App().settings.openDir = dir.toStdString();
  return true;
}

void RememberOpenedFile(const std::string& path) {
  const QString name = QFileInfo(QString::fromStdString(path)).fileName();
  const int dot = int(name.lastIndexOf('.'));
  const QString ext = dot < 0 ? QString() : name.mid(dot);
  if (ext.compare(".qlx", Qt::CaseInsensitive) == 0) {
    g_openFilter = 1;
  } else if (ext.compare(".ai", Qt::CaseInsensitive) == 0) {
    g_openFilter = 2;
  } else if (ext.isEmpty()) {
    g_openFilter = 3;  // "All files" is the only filter that shows a name without an extension
  } else {
    g_customExtension = ext;
    g_openFilter = 4;
  }
}

void SetFileDialogHook(FileDialogHook hook) { Hook() = std::move(hook); }

namespace {

PrintDialogHook& PrintHook() {
  static PrintDialogHook hook;
  return hook;
}

// The printer the Print and Print Setup dialogs share for the life of the program. Never
// destroyed: its print engine must not outlive the application object at exit.
QPrinter& SharedPrinter() {
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return *printer;
}

}  // namespace

bool RunPrintDialog(PrintChoice* choice) {
  if (PrintHook()) return PrintHook()(choice);
  QPrinter& printer = SharedPrinter();
  QPrintDialog dialog(&printer, App().mainWindow);
  if (dialog.exec() != QDialog::Accepted) return false;
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
    choice->queue.clear();
    choice->outputFile = printer.outputFileName().toStdString();
  } else {
    choice->queue = printer.printerName().toStdString();
    choice->outputFile.clear();
  }
  // One page per copy, so collation changes nothing. The orientation is the drawing's own;
  // printing keeps the count within what a job may ask for.
  choice->copies = printer.copyCount();
  choice->paper = printer.pageLayout().pageSize().key().toStdString();
  return true;
}

void RunPageSetupDialog() {
  QPageSetupDialog dialog(&SharedPrinter(), App().mainWindow);
  dialog.exec();
}

void SetPrintDialogHook(PrintDialogHook hook) { PrintHook() = std::move(hook); }

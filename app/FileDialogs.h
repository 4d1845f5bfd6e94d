// The standard file dialogs of the File menu, with their titles and filter lists. Filters match
// without regard to case, as drawings from other systems often carry upper-case names.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

enum class FileDialogUse { kOpen, kSaveAs, kExport, kInsert, kImport };

struct FileDialogRequest {
  FileDialogUse use = FileDialogUse::kOpen;
  QString title;  // empty: the toolkit's own title
  QStringList filters;
  int filter = 1;  // the filter chosen at the start, from 1
  QString directory;
  bool save = false;
};

struct FileChoice {
  std::string path;
  int filter = 1;  // the chosen filter, from 1: the file type the command acts on
};

// The request each use starts from: its title, filters and the "OpenDir" directory; the Open
// dialog's filter follows the last file opened.
FileDialogRequest FileDialogFor(FileDialogUse use);
// Shows the dialog; false when it was cancelled. A chosen file makes its directory the next
// start directory ("OpenDir").
bool RunFileDialog(const FileDialogRequest& request, FileChoice* choice);
// The Open dialog's next filter: 1 for ".QLX", 2 for ".AI", else a "Custom (*%s)" entry.
void RememberOpenedFile(const std::string& path);

// Tests answer file dialogs without showing them: the hook fills the choice and says whether
// the dialog was accepted.
using FileDialogHook = std::function<bool(const FileDialogRequest&, FileChoice*)>;
void SetFileDialogHook(FileDialogHook hook);

// The Print dialog's answer as the printing code takes it; tests answer it with the hook.
struct PrintChoice;
bool RunPrintDialog(PrintChoice* choice);
// Print Setup: the paper and orientation that the Print dialog then starts from.
void RunPageSetupDialog();
using PrintDialogHook = std::function<bool(PrintChoice*)>;
void SetPrintDialogHook(PrintDialogHook hook);

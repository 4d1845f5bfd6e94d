#include <cups/cups.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <filesystem>

#include "app/AppState.h"
#include "app/Document.h"
#include "app/FileCommands.h"
#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/Print.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/PsReader.h"
#include "render/RegisterRender.h"
#include "support/OutputTestSupport.h"
#include "support/TestSupport.h"

namespace {

class FileCommandsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    RegisterRender();  // as the program's start does, for the bitmap and metafile writers
  }
  void TearDown() override {
    SetFileDialogHook(nullptr);
    SetPrintDialogHook(nullptr);
    GuiTest::TearDown();
  }
  // The next file dialog answers `path` with `filter`; a null path cancels it.
  void AnswerFileDialog(const std::string& path, int filter) {
    SetFileDialogHook([this, path, filter](const FileDialogRequest& r, FileChoice* choice) {
      uses_.push_back(r.use);
      choice->path = path;
      choice->filter = filter;
      return !path.empty();
    });
  }
  std::vector<FileDialogUse> uses_;
};

using FileCommandsInterop = FileCommandsTest;

Drawing& TheDrawing() { return *App().drawing; }

}  // namespace

TEST_F(FileCommandsTest, SaveOfAnUntitledDrawingAsksForANameAndCancelKeepsItModified) {
  Start();
  TheDrawing().SetModified();
  AnswerFileDialog("", 1);
  EXPECT_FALSE(SaveCommand());
  EXPECT_EQ(uses_, std::vector<FileDialogUse>{FileDialogUse::kSaveAs});
  EXPECT_TRUE(TheDrawing().modified && TheDrawing().path.empty());
  // Yes to "save the changes?" names it the same way; cancelled, the drawing stays.
  answer_ = Answer::kYes;
  EXPECT_FALSE(ConfirmDiscard());
  EXPECT_EQ(V(uses_.size(), TheDrawing().modified), V(2, 1));
}

TEST_F(FileCommandsTest, InsertIsOneStepThatUndoTakesBack) {
  Start(CorpusFile("shapes.qlx"));
  std::vector<Shape*> before(TheDrawing().shapes().begin(), TheDrawing().shapes().end());
  AnswerFileDialog(CorpusFile("paths.qlx"), 5);
  InsertCommand();
  ASSERT_GT(size_t(TheDrawing().shapes().Count()), before.size());
  EXPECT_EQ(TheDrawing().undo().UndoCount(), 1);
  TheDrawing().Undo();
  std::vector<Shape*> after(TheDrawing().shapes().begin(), TheDrawing().shapes().end());
  EXPECT_TRUE(after == before && TheDrawing().selection().Empty());
  TheDrawing().Redo();
  EXPECT_GT(size_t(TheDrawing().shapes().Count()), before.size());
}

TEST_F(FileCommandsTest, OpenDialogFindsLowerCaseNamesAndRemembersTheDirectory) {
  const std::string dir = work_ + "/drawings";
  std::filesystem::create_directories(dir);
  std::filesystem::copy_file(CorpusFile("shapes.qlx"), dir + "/drawing.qlx");
  Start();
  App().settings.openDir = dir;
  bool listed = false;
  OnModal([&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    auto* model = dialog->findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    // The directory is read in the background; the name turns up once it has been.
    for (int i = 0; i < 200 && !listed; ++i) {
      QModelIndex index = model->index(QString::fromStdString(dir + "/drawing.qlx"));
      listed = index.isValid() && (model->flags(index) & Qt::ItemIsEnabled);
      if (!listed) IdleFor(10);
    }
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText("drawing.qlx");
    static_cast<QDialog*>(dialog)->accept();
  });
  OpenCommand();
  EXPECT_TRUE(listed);
  EXPECT_EQ(TheDrawing().path, dir + "/drawing.qlx");
  EXPECT_GT(TheDrawing().shapes().Count(), 0);
  EXPECT_EQ(FileDialogFor(FileDialogUse::kOpen).filter, 1);
}

TEST_F(FileCommandsTest, OpenDialogFollowsTheLastFileOpened) {
  const std::string path = work_ + "/drawing.eps";
  std::filesystem::copy_file(CorpusFile("shapes.qlx"), path);
  Start();
  AnswerFileDialog(path, 3);
  OpenCommand();
  FileDialogRequest next = FileDialogFor(FileDialogUse::kOpen);
  ASSERT_EQ(next.filters.size(), 4);
  EXPECT_EQ(next.filters[3], "Custom (*.eps)");
  EXPECT_EQ(next.filter, 4);
}

TEST_F(FileCommandsTest, CancelledExportLeavesTheOldFile) {
  Start(CorpusFile("text-image.qlx"));
  const std::string path = work_ + "/out.ps";
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  AnswerFileDialog(path, 2);
  bool sawWindow = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() != "PROGRESSDLG" || !w->isVisible()) continue;
      sawWindow = !App().mainWindow->isEnabled() && w->findChild<QWidget*>("1067") &&
                  w->findChild<QWidget*>("1068");
      if (auto* cancel = w->findChild<QAbstractButton*>("2")) cancel->click();
    }
  });
  ExportCommand();
  EXPECT_TRUE(sawWindow);
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_TRUE(App().mainWindow->isEnabled());
}

TEST_F(FileCommandsInterop, ExportWritesEveryFormatThroughTheDialogs) {
  Start(CorpusFile("text-image.qlx"));
  struct Row {
    int filter;
    const char* name;
    bool preview, fonts;
    const char* check;  // %s is the file
  };
  const Row rows[] = {
      {1, "plain.eps", false, false, "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage '%s'"},
      {1, "full.eps", true, true, "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage '%s'"},
      {2, "out.ps", false, false, "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage '%s'"},
      // Illustrator files lean on the application's own procset, which Ghostscript lacks.
      {3, "out.ai", false, false, nullptr},
      {4, "out.pdf", false, false, "pdfinfo '%s'"},
      {5, "out.wmf", false, false, "identify '%s'"},
      {6, "out.bmp", false, false, "identify '%s'"},
      {7, "out.tif", false, false, "identify '%s'"},
  };
  for (const Row& row : rows) {
    const std::string path = work_ + "/" + row.name;
    AnswerFileDialog(path, row.filter);
    const bool asks = row.filter == 1 || row.filter == 6;
    bool filled = !asks;
    if (asks)
      OnModal([&](QWidget* w) {
        if (row.filter == 1) {
          w->findChild<QCheckBox*>("1059")->setChecked(row.preview);
          w->findChild<QCheckBox*>("1064")->setChecked(false);
          w->findChild<QCheckBox*>("1058")->setChecked(row.fonts);
          if (row.fonts) w->findChild<QRadioButton*>("1061")->setChecked(true);
        } else if (row.filter == 6) {
          w->findChild<QRadioButton*>("1070")->setChecked(true);
        }
        filled = true;
        w->findChild<QAbstractButton*>("1")->click();
      });
    ExportCommand();
    EXPECT_TRUE(filled) << row.name;
    if (!std::filesystem::exists(path)) {
      ADD_FAILURE() << row.name << " was not written "
                    << (errors_.empty() ? std::string() : errors_.back());
      continue;
    }
    if (!row.check) {
      Drawing again;
      EXPECT_EQ(OpenDrawingFile(path.c_str(), &again), 1) << row.name;
      EXPECT_GT(again.shapes().Count(), 0) << row.name;  // Illustrator 88 has no images
      continue;
    }
    std::string command = row.check;
    command.replace(command.find("%s"), 2, path);
    EXPECT_EQ(RunCommand(command + " > '" + path + ".log' 2>&1"), 0)
        << row.name << "\n"
        << ReadFileBytes(path + ".log");
    if (row.preview) {
      EXPECT_EQ(ReadFileBytes(path).substr(0, 4), "\xC5\xD0\xD3\xC6");
    }
  }
  EXPECT_EQ(TheExportOptions().smoothing, 2);
}

TEST_F(FileCommandsInterop, LandscapePrintsOntoLandscapePaper) {
  Start(CorpusFile("shapes.qlx"));
  TheDrawing().landscape = 1;
  const std::string pdf = work_ + "/printed.pdf";
  SetPrintDialogHook([&](PrintChoice* choice) {
    choice->outputFile = pdf;
    return true;
  });
  PrintCommand();
  ASSERT_EQ(RunCommand("pdfinfo '" + pdf + "' > '" + pdf + ".txt' 2>&1"), 0);
  const std::string info = ReadFileBytes(pdf + ".txt");
  // A turned page must be wide paper, not tall paper with a turn to show it.
  EXPECT_TRUE(Contains(info, " 792 x 612 pts")) << info;
  EXPECT_TRUE(Contains(info, "Page rot: ") &&
              Contains(info.substr(info.find("Page rot: ")), " 0\n"))
      << info;
}

namespace {

// A private spooler with one PostScript queue "ondara" printing into `out`; stopped and
// removed with the object. Needs root, as cupsd drops to the lp user for its filters.
class PrivateSpooler {
 public:
  explicit PrivateSpooler(const std::string& out) {
    char dir[] = "/tmp/ondara-cups.XXXXXX";
    if (!mkdtemp(dir)) return;
    root_ = dir;
    const std::string start = (std::filesystem::path(__FILE__).parent_path().parent_path() /
                               "support" / "private-cupsd.sh")
                                  .string();
    ready_ = RunCommand("bash '" + start + "' '" + root_ + "' '" + out + "' >'" + root_ +
                        "/start.log' 2>&1") == 0;
    std::string server = ReadFileBytes(root_ + "/server");
    while (!server.empty() && server.back() == '\n') server.pop_back();
    setenv("CUPS_SERVER", server.c_str(), 1);
    // The spooler library keeps the server it first talked to; this one is new.
    cupsSetServer(server.c_str());
  }
  ~PrivateSpooler() {
    if (root_.empty()) return;
    RunCommand("kill $(cat '" + root_ + "/pid') 2>/dev/null; sleep 0.3; rm -rf '" + root_ + "'");
    unsetenv("CUPS_SERVER");
    cupsSetServer(nullptr);
  }
  bool ready() const { return ready_; }
  std::string log() const { return ReadFileBytes(root_ + "/start.log"); }

 private:
  std::string root_;
  bool ready_ = false;
};

}  // namespace

namespace {

// The copies and media the private spooler holds for a job, as "copies media".
std::string JobOptions(int job) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               "ipp://localhost/printers/ondara");
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
  ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
  ipp_attribute_t* copies = ippFindAttribute(response, "copies", IPP_TAG_INTEGER);
  ipp_attribute_t* media = ippFindAttribute(response, "media", IPP_TAG_ZERO);
  const char* name = media ? ippGetString(media, 0, nullptr) : nullptr;
  std::string text =
      std::to_string(copies ? ippGetInteger(copies, 0) : 1) + " " + (name ? name : "");
  ippDelete(response);
  return text;
}

}  // namespace

TEST_F(FileCommandsInterop, PrintSendsPostScriptWithCopiesAndPaperToAPostScriptQueue) {
  if (geteuid() != 0 || !HaveTool("cupsd") || !HaveTool("lpadmin")) {
    GTEST_SKIP() << "a private cupsd needs root and the cups packages";
  }
  const std::string outDir = work_ + "/spooled";
  std::filesystem::create_directories(outDir);
  const std::string out = outDir + "/job.ps";
  PrivateSpooler spooler(out);
  ASSERT_TRUE(spooler.ready()) << spooler.log();
  Start(CorpusFile("shapes.qlx"));
  const struct {
    int copies;
    const char* paper;
    const char* job;  // what the spooler holds
  } rows[] = {{1, "", "1 "}, {3, "A4", "3 A4"}, {5000, "Legal", "999 Legal"}};
  for (const auto& row : rows) {
    SetPrintDialogHook([&](PrintChoice* choice) {
      choice->queue = "ondara";
      choice->copies = row.copies;
      choice->paper = row.paper;
      return true;
    });
    PrintCommand();
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
  }
  std::string job;
  for (int i = 0; i < 150 && job.size() < 14; ++i) {
    IdleFor(200);
    job = ReadFileBytes(out);
  }
  EXPECT_EQ(job.substr(0, 14), "%!PS-Adobe-3.0");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(JobOptions(i + 1), rows[i].job) << rows[i].paper;
}

TEST_F(FileCommandsInterop, PdfPrintTakesThePaperAndCopiesChosen) {
  Start(CorpusFile("shapes.qlx"));
  TheDrawing().landscape = 0;  // a portrait Letter page
  const std::string pdf = work_ + "/a4.pdf";
  SetPrintDialogHook([&](PrintChoice* choice) {
    choice->outputFile = pdf;
    choice->copies = 2;
    choice->paper = "A4";
    return true;
  });
  PrintCommand();
  ASSERT_EQ(RunCommand("pdfinfo '" + pdf + "' > '" + pdf + ".txt' 2>&1"), 0);
  const std::string info = ReadFileBytes(pdf + ".txt");
  EXPECT_TRUE(Contains(info, " 595 x 842 pts (A4)")) << info;
  EXPECT_TRUE(Contains(info, "Pages:           2\n")) << info;
}

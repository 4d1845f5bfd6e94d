// The desktop clipboard between two running programs, on a private X server (the offscreen
// platform's clipboard does not leave the process).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <cstdio>
#include <filesystem>

#include "app/AppState.h"
#include "app/DesktopClipboard.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "output/ExportFile.h"
#include "output/MemorySink.h"
#include "support/TestSupport.h"

namespace {

// Starts Xvfb on a free display; its number, or -1.
int StartXServer(pid_t* pid) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const std::string fd = std::to_string(fds[1]);
  *pid = fork();
  if (*pid == 0) {
    close(fds[0]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
           "640x480x24", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char number[16] = {};
  ssize_t n = *pid > 0 ? read(fds[0], number, sizeof number - 1) : -1;
  close(fds[0]);
  return n > 0 ? std::atoi(number) : -1;
}

// The shapes the drawing holds, as the native file writes them.
void WriteShapes(const std::string& file) {
  std::string bytes;
  WriteDrawingToMemory(*App().drawing, kExportNative, &bytes);
  WriteFileBytes(file, bytes);
}

}  // namespace

class DesktopClipboardTest : public GuiTest {};

// One side of the test below, run in its own process: "copy" copies two shapes, pastes them
// itself, records the result and keeps offering them; "paste" pastes from the desktop.
TEST_F(DesktopClipboardTest, DISABLED_Side) {
  const std::string role = std::getenv("ONDARA_TEST_ROLE");
  const std::string out = std::getenv("ONDARA_TEST_OUT");
  Start();
  Drawing& d = *App().drawing;
  if (role == "copy") {
    d.AddShape(new BoxShape(10, 20, 110, 70));
    d.AddShape(new OvalShape(200, 200, 40, 30));
    d.SelectAll();
    d.Copy();
    PublishClipboard(d);
    d.ClearSelection();
    d.Paste();
    WriteShapes(out);
    IdleFor(60000);  // serves the clipboard until killed
  } else {
    d.AddShape(new BoxShape(10, 20, 110, 70));
    d.AddShape(new OvalShape(200, 200, 40, 30));
    ASSERT_TRUE(CanPaste(d));
    ASSERT_TRUE(TakeDesktopClipboard(d));
    d.Paste();
    WriteShapes(out);
  }
}

TEST_F(DesktopClipboardTest, CopyInOneProgramPastesInAnother) {
  pid_t server = -1;
  const int display = StartXServer(&server);
  ASSERT_GE(display, 0) << "Xvfb did not start";
  const std::vector<std::string> env = {"DISPLAY=:" + std::to_string(display),
                                        "QT_QPA_PLATFORM=xcb", "SOURCE_DATE_EPOCH=1700000000"};
  auto with = [&](const std::string& role) {
    std::vector<std::string> e = env;
    e.push_back("ONDARA_TEST_ROLE=" + role);
    e.push_back("ONDARA_TEST_OUT=" + work_ + "/" + role + ".qlx");
    return e;
  };
  int copier =
      SpawnTestProcess("DesktopClipboardTest.DISABLED_Side", with("copy"), work_ + "/copy.log");
  ASSERT_GT(copier, 0);
  bool copied = IdleUntil([&] { return !ReadFileBytes(work_ + "/copy.qlx").empty(); }, 30000);
  int status = -1;
  if (copied) {
    int paster =
        SpawnTestProcess("DesktopClipboardTest.DISABLED_Side", with("paste"), work_ + "/paste.log");
    waitpid(paster, &status, 0);
  }
  kill(copier, SIGKILL);
  waitpid(copier, nullptr, 0);
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  ASSERT_TRUE(copied) << ReadFileBytes(work_ + "/copy.log");
  ASSERT_EQ(status, 0) << ReadFileBytes(work_ + "/paste.log");
  // The same four shapes: the two drawn and the two pasted one grid step away.
  EXPECT_EQ(ReadFileBytes(work_ + "/paste.qlx"), ReadFileBytes(work_ + "/copy.qlx"));
  EXPECT_TRUE(Contains(ReadFileBytes(work_ + "/copy.qlx"), "Ov"));
}

TEST_F(DesktopClipboardTest, PublishedDrawingOffersEpsAndPicture) {
  Start();
  Drawing& d = *App().drawing;
  d.AddShape(new BoxShape(10, 20, 110, 70));
  d.SelectAll();
  d.Copy();
  PublishClipboard(d);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(data);
  EXPECT_TRUE(data->data("application/x-ulvex-drawing").startsWith("%!PS-Adobe"));
  EXPECT_TRUE(data->data("image/x-eps").startsWith("%!PS-Adobe"));
  const QImage picture = qvariant_cast<QImage>(data->imageData());
  EXPECT_EQ(picture.devicePixelRatio(), 2.0);
  // The 100-point box with its 9-point border, at twice the size.
  EXPECT_NEAR(picture.width(), 2 * (100 + 2 * 9), 4);
}

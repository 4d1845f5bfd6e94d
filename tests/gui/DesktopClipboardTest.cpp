// The desktop clipboard between two running programs, on a private X server (the offscreen
// platform's clipboard does not leave the process).
#include <fcntl.h>
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

// Starts Xvfb on a display no other server holds and waits for it to listen; its number, or -1.
int StartXServer(pid_t* pid, const std::string& log) {
  int display = 40;
  while (display < 90 && std::filesystem::exists("/tmp/.X" + std::to_string(display) + "-lock"))
    ++display;
  const std::string name = ":" + std::to_string(display);
  *pid = fork();
  if (*pid == 0) {
    int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) dup2(out, 2);
    execlp("Xvfb", "Xvfb", name.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
  bool up = *pid > 0 && IdleUntil([&] { return std::filesystem::exists(socket); }, 10000);
  return up ? display : -1;
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
  d.AddShape(new BoxShape(10, 20, 110, 70));
  d.AddShape(new OvalShape(200, 200, 40, 30));
  if (role == "copy") {
    d.SelectAll();
    d.Copy();
    PublishClipboard(d);
    d.ClearSelection();
    d.Paste();
    WriteShapes(out);
    IdleFor(60000);  // serves the clipboard until killed
  } else {
    ASSERT_TRUE(CanPaste(d));
    ASSERT_TRUE(TakeDesktopClipboard(d));
    d.Paste();
    WriteShapes(out);
  }
}

TEST_F(DesktopClipboardTest, CopyInOneProgramPastesInAnother) {
  pid_t server = -1;
  const int display = StartXServer(&server, work_ + "/xvfb.log");
  ASSERT_GE(display, 0) << "Xvfb did not start: " << ReadFileBytes(work_ + "/xvfb.log");
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
  ASSERT_TRUE(copied) << ReadFileBytes(work_ + "/copy.log") << ReadFileBytes(work_ + "/xvfb.log");
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

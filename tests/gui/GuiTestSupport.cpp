#include "gui/GuiTestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string>* g_errors = nullptr;

void RecordMessage(MessageKind, const std::string& text) {
  if (g_errors) g_errors->push_back(text);
}

// One application object for the whole program, made before the first test.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tests_gui";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

std::string CorpusFile(const std::string& name) {
  // The reader's sample drawings lie in the source tree, two folders above this file.
  return (std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" /
          "corpus" / "psreader" / name)
      .string();
}

int SpawnTestProcess(const std::string& name, const std::vector<std::string>& env,
                     const std::string& log) {
  std::vector<std::string> args = {"/proc/self/exe", "--gtest_filter=" + name,
                                   "--gtest_also_run_disabled_tests"};
  std::vector<std::string> vars(env);
  for (char** e = environ; *e; ++e) vars.push_back(*e);  // the first of a name wins
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  for (std::string& v : vars) envp.push_back(v.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

bool IdleUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return done();
    IdleFor(50);
  }
  return true;
}

void IdleFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void OnModal(std::function<void(QDialog*)> act, int tries) {
  QTimer::singleShot(10, [act, tries] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog && dialog->isVisible()) {
      act(dialog);
    } else if (tries > 0) {
      OnModal(act, tries - 1);
    }
  });
}

void GuiTest::SetUp() {
  work_ = TestWorkDir("gui");
  programDir_ = work_ + "/bin";
  std::filesystem::create_directories(programDir_);
  setenv("XDG_CONFIG_HOME", (work_ + "/config").c_str(), 1);
  setenv("XDG_STATE_HOME", (work_ + "/state").c_str(), 1);
  g_errors = &errors_;
  // The offscreen clipboard lives as long as the process; each test starts with it empty. (A
  // real display's clipboard is shared with other programs and left alone.)
  if (QGuiApplication::platformName() == "offscreen") QGuiApplication::clipboard()->clear();
  SetMessageHandler(&RecordMessage);
  SetQuestionHook([this](const QString& title, const QString& text) {
    questions_.push_back(title + "|" + text);
    return answer_;
  });
  SetOpenHook([this](const QString& path) { opened_.push_back(path); });
}

void GuiTest::TearDown() {
  Finish();
  SetQuestionHook(nullptr);
  SetOpenHook(nullptr);
  SetMessageHandler(nullptr);
  g_errors = nullptr;
}

Application& GuiTest::Start(const std::string& file) {
  app_ = std::make_unique<Application>(programDir_);
  app_->Start(file);
  return *app_;
}

void GuiTest::FixView(float zoom, int grid) {
  View& v = App().client->view();
  v.fitMode = kFitNone;
  v.SetZoom(zoom);
  v.SetScroll(0, 0);
  Drawing& d = *App().drawing;
  d.grid.hSpacing = d.grid.vSpacing = grid;
  d.grid.snap = 1;
  IdleFor(20);
}

void GuiTest::Finish() {
  if (!app_) return;
  app_->Finish();
  app_.reset();
}

QPoint GuiTest::At(float x, float y) {
  const View& v = App().client->view();
  const Point p = v.Transform(x, y);
  const double k = v.DevicePixelRatio();
  return QPoint(int(std::lround(p.x / k)), int(std::lround(p.y / k)));
}

void GuiTest::Press(float x, float y, Qt::KeyboardModifiers m) {
  QTest::mousePress(App().client->viewport(), Qt::LeftButton, m, At(x, y));
}

void GuiTest::Move(float x, float y) { QTest::mouseMove(App().client->viewport(), At(x, y)); }

void GuiTest::Release(float x, float y, Qt::KeyboardModifiers m) {
  QTest::mouseRelease(App().client->viewport(), Qt::LeftButton, m, At(x, y));
}

void GuiTest::Click(float x, float y, Qt::KeyboardModifiers m) {
  QTest::mouseClick(App().client->viewport(), Qt::LeftButton, m, At(x, y));
}

void GuiTest::DoubleClick(float x, float y) {
  Click(x, y);
  QTest::mouseDClick(App().client->viewport(), Qt::LeftButton, {}, At(x, y));
  QTest::mouseRelease(App().client->viewport(), Qt::LeftButton, {}, At(x, y));
}

void GuiTest::Drag(QPoint from, QPoint to, Qt::KeyboardModifiers m) {
  QWidget* port = App().client->viewport();
  QTest::mousePress(port, Qt::LeftButton, m, from);
  QTest::mouseMove(port, (from + to) / 2);
  QTest::mouseMove(port, to);
  QTest::mouseRelease(port, Qt::LeftButton, m, to);
}

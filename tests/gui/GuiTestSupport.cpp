#include "gui/GuiTestSupport.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "platform/msgbox/Messages.h"
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

void IdleFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void GuiTest::SetUp() {
  work_ = TestWorkDir("gui");
  programDir_ = work_ + "/bin";
  std::filesystem::create_directories(programDir_);
  setenv("XDG_CONFIG_HOME", (work_ + "/config").c_str(), 1);
  g_errors = &errors_;
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

void GuiTest::Finish() {
  if (!app_) return;
  app_->Finish();
  app_.reset();
}

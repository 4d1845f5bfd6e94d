// Autosave and recovery across a killed program: a separate process edits, autosaves and is
// killed with SIGKILL; the next start offers what it left.
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>

#include "app/AppState.h"
#include "app/Autosave.h"
#include "app/AutosaveStore.h"
#include "app/Document.h"
#include "gui/GuiTestSupport.h"
#include "model/DebugLog.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "platform/profile/Profile.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> FilesIn(const std::string& dir, const std::string& ext) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().extension() == ext) out.push_back(it->path().string());
  return out;
}

class AutosaveTest : public GuiTest {
 protected:
  // A separate program draws two shapes (titled `path`), autosaves and is killed.
  void LeaveAutosaveBehind(const std::string& path) {
    const std::string state = work_ + "/state";
    int pid = SpawnTestProcess("AutosaveTest.DISABLED_EditAndWait",
                               {"ONDARA_TEST_STATE=" + state, "ONDARA_TEST_PATH=" + path},
                               work_ + "/child.log");
    ASSERT_GT(pid, 0);
    const std::string dir = state + "/ulvex/autosave";
    bool saved = IdleUntil([&] { return !FilesIn(dir, ".qlx").empty(); }, 30000);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ASSERT_TRUE(saved) << ReadFileBytes(work_ + "/child.log");
  }
  std::string Dir() { return work_ + "/state/ulvex/autosave"; }
};

}  // namespace

// The other side of the tests below, run in its own process.
TEST_F(AutosaveTest, DISABLED_EditAndWait) {
  const char* state = std::getenv("ONDARA_TEST_STATE");
  ASSERT_TRUE(state);
  setenv("XDG_STATE_HOME", state, 1);
  fs::create_directories(SettingsDirectory());
  ASSERT_TRUE(WritePrivateProfileString("Misc", "AutosaveSeconds", "1", SettingsFilePath()));
  Start();
  Drawing& d = *App().drawing;
  d.path = std::getenv("ONDARA_TEST_PATH");
  d.AddShape(new BoxShape(10, 20, 110, 70));
  d.AddShape(new OvalShape(200, 200, 40, 30));
  d.SetModified();
  IdleFor(60000);  // killed long before
}

TEST_F(AutosaveTest, KilledProgramIsRecoveredModifiedWithItsPath) {
  LeaveAutosaveBehind(work_ + "/picture.qlx");
  answer_ = Answer::kYes;
  Start();
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0],
            "Ondara Draw|Ondara Draw was not shut down properly.\nDo you want to "
            "recover " +
                QString::fromStdString(work_) + "/picture.qlx?");
  Drawing& d = *App().drawing;
  ASSERT_EQ(d.shapes().Count(), 2);
  EXPECT_EQ(V(d.shapes()[0]->Kind(), d.shapes()[1]->Kind(), d.modified),
            V(kBoxShape, kOvalShape, 1));
  EXPECT_EQ(d.path, work_ + "/picture.qlx");
  // This program's autosave took the place of the old one.
  TheAutosaver()->Flush();
  EXPECT_EQ(FilesIn(Dir(), ".qlx"), std::vector<std::string>{TheAutosaver()->DrawingFile()});
  // A clean exit leaves nothing.
  Finish();
  EXPECT_TRUE(fs::is_empty(Dir()));
}

TEST_F(AutosaveTest, DeclinedAutosaveIsDeletedAndForeignFilesSkipped) {
  LeaveAutosaveBehind("");
  WriteFileBytes(Dir() + "/notes.txt", "not ours");
  answer_ = Answer::kNo;
  Start();
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_TRUE(questions_[0].endsWith("recover (Untitled)?"));
  EXPECT_EQ(App().drawing->shapes().Count(), 0);
  EXPECT_TRUE(FilesIn(Dir(), ".qlx").empty() && FilesIn(Dir(), ".lock").empty());
  EXPECT_TRUE(fs::exists(Dir() + "/notes.txt"));
}

TEST_F(AutosaveTest, SavedDrawingLeavesNoAutosave) {
  Start();
  Drawing& d = *App().drawing;
  d.AddShape(new BoxShape(0, 0, 10, 10));
  d.SetModified();
  ASSERT_TRUE(TheAutosaver()->WriteNow());
  TheAutosaver()->Flush();
  EXPECT_EQ(FilesIn(Dir(), ".qlx").size(), 1u);
  d.modified = 0;  // as a save leaves it
  UpdateTitle();
  TheAutosaver()->Flush();
  EXPECT_TRUE(FilesIn(Dir(), ".qlx").empty());
}

TEST_F(AutosaveTest, FailedAutosaveIsLoggedNotShown) {
  WriteFileBytes(work_ + "/state", "a file where the folder should be");
  Start();
  ClearDebugLog();
  App().drawing->AddShape(new BoxShape(0, 0, 10, 10));
  App().drawing->SetModified();
  ASSERT_TRUE(TheAutosaver()->WriteNow());
  TheAutosaver()->Flush();
  ASSERT_TRUE(IdleUntil([] { return !DebugLogLines().empty(); }, 2000));
  EXPECT_TRUE(Contains(DebugLogLines().front(), "Autosave failed"));
  EXPECT_TRUE(errors_.empty());
}

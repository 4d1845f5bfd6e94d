#include <QApplication>
#include <QTest>

#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/Document.h"
#include "app/MainWindow.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "platform/profile/Profile.h"
#include "support/TestSupport.h"

namespace {

using StartupTest = GuiTest;

TEST_F(StartupTest, FirstRunTakesDefaultsAndOffersTheTips) {
  WriteFileBytes(programDir_ + "/tips.txt", "tips\n");
  answer_ = Answer::kYes;
  Application& app = Start();
  EXPECT_EQ(V(app.drawing().units, app.drawing().pageSize), V(kUnitsInches, kPageLetter));
  EXPECT_EQ(App().settings.openDir, ".");
  EXPECT_FALSE(app.window()->isMaximized());
  EXPECT_EQ(app.window()->windowTitle(), "(Untitled) - Ondara Draw");
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0],
            "Before you start|Before using Ondara Draw 3.1 for the first time, you must\n"
            "read \"Tips to make Ondara Draw fun and easy to use.\"\n"
            "Would you like to read the tips now?");
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].toStdString(), programDir_ + "/tips.txt");
  // Exit records the version, so the next start asks no more.
  Finish();
  EXPECT_EQ(GetProfileInt("Misc", "Version", 0), 310);
  Start();
  EXPECT_EQ(questions_.size(), 1u);
}

// Once the main window is up the splash no longer floats above it, and it goes a second later.
TEST_F(StartupTest, SplashSinksUnderTheWindowAndGoesAfterASecond) {
  Start();
  auto splash = [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowType() == Qt::SplashScreen && w->isVisible()) return w;
    return static_cast<QWidget*>(nullptr);
  };
  ASSERT_NE(splash(), nullptr);
  EXPECT_FALSE(splash()->windowFlags() & Qt::WindowStaysOnTopHint);
  IdleFor(1300);
  EXPECT_EQ(splash(), nullptr);
}

TEST_F(StartupTest, SavedUnitsAndPaperOutsideTheTableSelectsLetter) {
  WriteProfileString("Options", "Units", "2");
  const struct {
    const char* paper;
    PageSize expected;
  } cases[] = {{"2", kPageA4}, {"3", kPageLetter}, {"-1", kPageLetter}};
  for (const auto& c : cases) {
    WriteProfileString("Options", "Paper", c.paper);
    const Drawing& d = Start().drawing();
    EXPECT_EQ(V(d.pageSize, d.units), V(c.expected, kUnitsCentimeters)) << c.paper;
    Finish();
  }
}

TEST_F(StartupTest, CommandLineFormsNameOneFile) {
  const struct {
    std::vector<std::string> words;
    std::string file;
  } cases[] = {
      {{}, ""},
      {{"\""}, "\""},
      {{"x"}, "x"},
      {{"\"/tmp/my file.qlx"}, "\"/tmp/my file.qlx"},
      {{"\"/tmp/my file.qlx\""}, "/tmp/my file.qlx"},
      {{"/tmp/my", "file.qlx"}, "/tmp/my file.qlx"},
      {{"\"/tmp/my", "file.qlx\""}, "/tmp/my file.qlx"},
  };
  for (const auto& c : cases) EXPECT_EQ(GuiFileArgument(c.words), c.file) << c.file;
}

TEST_F(StartupTest, TitleIsTheNameAfterTheLastSlash) {
  EXPECT_EQ(TitleFor(""), "(Untitled) - Ondara Draw");
  EXPECT_EQ(TitleFor("plain.qlx"), "(Untitled) - Ondara Draw");
  EXPECT_EQ(TitleFor("/home/ann/my drawing.qlx"), "my drawing.qlx - Ondara Draw");
  Application& app = Start(CorpusFile("shapes.qlx"));
  EXPECT_EQ(app.window()->windowTitle(), "shapes.qlx - Ondara Draw");
  EXPECT_GT(app.drawing().shapes().Count(), 0);
  EXPECT_EQ(app.drawing().modified, 0);
}

TEST_F(StartupTest, FileThatFailsToOpenLeavesAnUntitledDrawing) {
  Application& app = Start(work_ + "/missing.qlx");
  ASSERT_FALSE(errors_.empty());
  EXPECT_EQ(errors_.back(), "An error has occurred while opening\n" + work_ + "/missing.qlx");
  EXPECT_EQ(app.drawing().path + "|" + app.window()->windowTitle().toStdString(),
            "|(Untitled) - Ondara Draw");
}

TEST_F(StartupTest, MaximisedExitRestoresTheNormalRectangleNextTime) {
  Application& app = Start();
  app.window()->showNormal();
  app.window()->setGeometry(40, 50, 640, 480);
  app.window()->showMaximized();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(app.window()));
  EXPECT_TRUE(app.window()->close());
  Finish();
  std::vector<double> saved;
  for (const char* key : {"Maximized", "Left", "Top", "Width", "Height"})
    saved.push_back(GetProfileInt("Startup", key, 0));
  EXPECT_EQ(saved, V(1, 40, 50, 640, 480));
  Application& next = Start();
  EXPECT_TRUE(next.window()->isMaximized());
  EXPECT_EQ(next.window()->normalGeometry(), QRect(40, 50, 640, 480));
}

}  // namespace

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>

#include "app/AppState.h"
#include "app/Commands.h"
#include "app/DrawingWindow.h"
#include "app/Help.h"
#include "app/MainWindow.h"
#include "app/Menus.h"
#include "gui/GuiTestSupport.h"
#include "model/DebugLog.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "platform/msgbox/Messages.h"
#include "support/TestSupport.h"
#include "tools/Tool.h"

namespace {

class MenusTest : public GuiTest {
 protected:
  // A started program with one selected box (line width 3, dash 1) when `select`.
  Drawing& StartWithBox(bool select) {
    Drawing& d = Start().drawing();
    auto* box = new BoxShape(100, 100, 200, 150);
    PaintStyle style;
    style.lineWidth = 3;
    style.dash = 1;
    box->SetPaintStyle(style);
    d.AddShape(box);
    if (select) d.Select(box);
    return d;
  }
  PaintStyle StyleOf(int i) {
    PaintStyle s;
    App().drawing->shapes()[i]->GetPaintStyle(&s);
    return s;
  }
  // Opens and closes the menu of the item, as the user would look at it.
  void LookAt(int id) {
    QAction* action = MenuAction(App().mainWindow, id);
    ASSERT_NE(action, nullptr) << id;
    QMenu* menu = qobject_cast<QMenu*>(action->parent());
    while (menu && qobject_cast<QMenu*>(menu->parent()))
      menu = qobject_cast<QMenu*>(menu->parent());
    ASSERT_NE(menu, nullptr);
    menu->popup(QPoint(10, 10));
    menu->hide();
  }
};

const int kSelectionItems[] = {204,  205,  210,  209, 202,  207,  208,  6063, 6064, 6065,
                               6066, 6067, 6068, 453, 6074, 6075, 6070, 6071, 6072, 6073};

TEST_F(MenusTest, SelectionItemsAreGreyedWithoutASelection) {
  Drawing& d = StartWithBox(false);
  EXPECT_FALSE(MenuAction(App().mainWindow, kCommandUndo)->isEnabled());
  EXPECT_FALSE(MenuAction(App().mainWindow, kCommandRedo)->isEnabled());
  LookAt(kCommandCut);
  for (int id : kSelectionItems) EXPECT_FALSE(MenuAction(App().mainWindow, id)->isEnabled()) << id;
  EXPECT_FALSE(MenuAction(App().mainWindow, kCommandPaste)->isEnabled());
  d.SelectAll();
  d.Copy();
  LookAt(kCommandCut);
  for (int id : kSelectionItems) EXPECT_TRUE(MenuAction(App().mainWindow, id)->isEnabled()) << id;
  EXPECT_TRUE(MenuAction(App().mainWindow, kCommandPaste)->isEnabled());
  EXPECT_TRUE(MenuAction(App().mainWindow, kCommandPreview)->isChecked());
}

TEST_F(MenusTest, TransformToolsNeedASelection) {
  StartWithBox(false);
  const struct {
    int id;
    const char* name;
  } cases[] = {{kToolScale, "Scale"},
               {kToolRotate, "Rotate"},
               {kToolSkew, "Skew"},
               {kToolReflect, "Reflect"}};
  for (const auto& c : cases) {
    DispatchCommand(c.id);
    EXPECT_EQ(StatusText(), std::string(c.name) + ": You must select one or more objects first");
    EXPECT_EQ(CurrentToolId(), kToolSelection);
  }
}

TEST_F(MenusTest, PensSetEitherTheDashOrTheWidth) {
  StartWithBox(true);
  const struct {
    int id;
    int dash;
    float width;
  } cases[] = {
      {6025, 0, 3},  {6028, 3, 3},  {6029, -1, 0.25f}, {6030, -1, 0.5f}, {6031, -1, 0.75f},
      {6032, -1, 1}, {6033, -1, 2}, {6041, -1, 3},     {6042, -1, 4},    {6043, -1, 5},
  };
  for (const auto& c : cases) {
    App().drawing->shapes()[0]->SetLineWidth(3);  // resets the dash
    App().drawing->shapes()[0]->SetDash(1);
    DispatchCommand(c.id);
    EXPECT_EQ(V(StyleOf(0).dash, StyleOf(0).lineWidth, App().drawing->defaultStyle.dash),
              V(c.dash, c.width, c.dash))
        << c.id;
  }
}

TEST_F(MenusTest, StyleCommandsWithoutSelectionChangeOnlyTheCurrentStyle) {
  Drawing& d = StartWithBox(false);
  const PaintStyle before = StyleOf(0);
  for (int id : {6012, 6018, 6051, 6042, 6024}) DispatchCommand(id);
  EXPECT_EQ(StyleOf(0), before);
  const PaintStyle& s = d.defaultStyle;
  EXPECT_EQ(V(d.undo().UndoCount(), s.fillOn, s.pattern, s.lineWidth, s.strokeOn),
            V(0, 1, 4, 4, 0));
  EXPECT_TRUE(s.fillColor == (Color{0, 0, 0}) && s.strokeColor == (Color{100, 100, 100}));
}

TEST_F(MenusTest, ArrowsBigKeepsARightOnlyLineRightOnly) {
  Drawing& d = Start().drawing();
  auto* line = new LineShape(10, 10, 100, 10);
  line->SetArrows(Arrowhead{0, 3}, Arrowhead{2, 3});
  d.AddShape(line);
  d.Select(line);
  DispatchCommand(kCommandArrowsBig);
  Arrowhead left, right;
  line->GetArrows(&left, &right);
  EXPECT_EQ(V(left.enabled, right.enabled, right.kind, d.arrowKind), V(0, 2, 4, 4));
  LookAt(kCommandArrowsBig);
  EXPECT_TRUE(MenuAction(App().mainWindow, kCommandArrowsBig)->isChecked());
  EXPECT_FALSE(MenuAction(App().mainWindow, kCommandArrowsSmall)->isChecked());
}

TEST_F(MenusTest, UnknownCommandsAreLogged) {
  Start();
  ClearDebugLog();
  DispatchCommand(6000);
  DispatchCommand(9999);
  EXPECT_EQ(std::deque<std::string>(DebugLogLines()),
            (std::deque<std::string>{"Unknown menu command 6000", "Unknown menu command 9999"}));
}

TEST_F(MenusTest, AcceleratorsReachTheCommands) {
  Drawing& d = StartWithBox(true);
  MainWindow* w = App().mainWindow;
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  std::vector<QUrl> help;
  SetHelpHook([&help](const QUrl& url) {
    help.push_back(url);
    return true;
  });
  std::filesystem::create_directories(programDir_ + "/help");
  QFile(QString::fromStdString(programDir_ + "/help/index.html")).open(QIODevice::WriteOnly);
  QWidget* target = App().client->viewport();
  QTest::keyClick(target, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(d.clipboard().Count(), 1);
  QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(d.shapes().Count(), 2);
  QTest::keyClick(target, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(d.shapes().Count(), 1);
  d.SelectAll();
  DispatchCommand(kCommandFillBlack);
  QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(StyleOf(0).fillOn, 0);
  QTest::keyClick(target, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(StyleOf(0).fillOn, 1);
  QTest::keyClick(target, Qt::Key_F1);
  ASSERT_EQ(help.size(), 1u);
  EXPECT_TRUE(help[0].fragment().isEmpty());
  DispatchCommand(kCommandHelpSearch);
  DispatchCommand(kCommandHelpOnHelp);
  ASSERT_EQ(help.size(), 3u);
  EXPECT_EQ(help[1].fragment() + "|" + help[2].fragment(), "index|using-help");
  SetHelpHook([](const QUrl&) { return false; });
  DispatchCommand(kCommandHelpContents);
  SetHelpHook(nullptr);
  EXPECT_EQ(errors_, std::vector<std::string>{"Can't start the help viewer"});
}

TEST_F(MenusTest, AboutShowsTheBuildDate) {
  Start();
  OnModal([](QDialog* box) { box->close(); });
  DispatchCommand(kCommandAbout);
  EXPECT_TRUE(QString::fromStdString(StatusText())
                  .contains(QRegularExpression("^Build date: [A-Z][a-z]{2} [ 1-3][0-9] \\d{4}$")))
      << StatusText();
}

TEST_F(MenusTest, PictureItemsHaveTheirSizes) {
  Start();
  const struct {
    int id;
    int height;
  } cases[] = {{6014, 30}, {6022, 30}, {6025, 20}, {6043, 20}, {6035, 20}};
  for (const auto& c : cases) {
    QAction* action = MenuAction(App().mainWindow, c.id);
    auto* menu = qobject_cast<QMenu*>(action->parent());
    menu->popup(QPoint(10, 10));
    EXPECT_EQ(menu->actionGeometry(action).height(), c.height) << c.id;
    menu->hide();
  }
}

}  // namespace

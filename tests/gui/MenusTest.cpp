#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
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
#include "model/UndoActions.h"
#include "platform/msgbox/Messages.h"
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
    const char* text;
  } cases[] = {
      {kToolScale, "Scale: You must select one or more objects first"},
      {kToolRotate, "Rotate: You must select one or more objects first"},
      {kToolSkew, "Skew: You must select one or more objects first"},
      {kToolReflect, "Reflect: You must select one or more objects first"},
  };
  for (const auto& c : cases) {
    DispatchCommand(c.id);
    EXPECT_EQ(StatusText(), c.text);
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
    EXPECT_EQ(StyleOf(0).dash, c.dash) << c.id;
    EXPECT_EQ(StyleOf(0).lineWidth, c.width) << c.id;
    EXPECT_EQ(App().drawing->defaultStyle.dash, c.dash) << c.id;
  }
}

TEST_F(MenusTest, StyleCommandsWithoutSelectionChangeOnlyTheCurrentStyle) {
  Drawing& d = StartWithBox(false);
  const PaintStyle before = StyleOf(0);
  for (int id : {6012, 6018, 6051, 6042, 6024}) DispatchCommand(id);
  EXPECT_EQ(StyleOf(0), before);
  EXPECT_EQ(d.undo().UndoCount(), 0);
  EXPECT_EQ(d.defaultStyle.fillOn, 1);
  EXPECT_EQ(d.defaultStyle.fillColor, (Color{0, 0, 0}));
  EXPECT_EQ(d.defaultStyle.pattern, 4);
  EXPECT_EQ(d.defaultStyle.strokeColor, (Color{100, 100, 100}));
  EXPECT_EQ(d.defaultStyle.lineWidth, 4.0f);
  EXPECT_EQ(d.defaultStyle.strokeOn, 0);
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
  EXPECT_EQ(left.enabled, 0);
  EXPECT_EQ(right.enabled, 2);
  EXPECT_EQ(right.kind, 4);
  EXPECT_EQ(d.arrowKind, 4);
  LookAt(kCommandArrowsBig);
  EXPECT_TRUE(MenuAction(App().mainWindow, kCommandArrowsBig)->isChecked());
  EXPECT_FALSE(MenuAction(App().mainWindow, kCommandArrowsSmall)->isChecked());
}

TEST_F(MenusTest, AlignLeftSidesInLandscapeAlignsBottoms) {
  Drawing& d = Start().drawing();
  d.landscape = 1;
  ShapeList expected;
  for (float y : {100.0f, 300.0f}) {
    auto* box = new BoxShape(y, y, y + 50, y + 80);
    d.AddShape(box);
    d.Select(box);
    expected.Append(box->Clone());
  }
  AlignShapes(expected, 3);
  DispatchCommand(kCommandAlignLeftSides);
  for (int i = 0; i < 2; ++i) {
    Rect got, want;
    d.shapes()[i]->GetBounds(&got, 1);
    expected[i]->GetBounds(&want, 1);
    EXPECT_EQ(got.y1, want.y1);
    EXPECT_EQ(got.x1, want.x1);
  }
  DestroyShapes(&expected);
}

TEST_F(MenusTest, UnknownCommandsAreLogged) {
  Start();
  ClearDebugLog();
  DispatchCommand(6000);
  DispatchCommand(9999);
  ASSERT_EQ(DebugLogLines().size(), 2u);
  EXPECT_EQ(DebugLogLines()[0], "Unknown menu command 6000");
  EXPECT_EQ(DebugLogLines()[1], "Unknown menu command 9999");
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
  EXPECT_EQ(help[1].fragment(), "index");
  EXPECT_EQ(help[2].fragment(), "using-help");
  SetHelpHook([](const QUrl&) { return false; });
  DispatchCommand(kCommandHelpContents);
  SetHelpHook(nullptr);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "Can't start the help viewer");
}

TEST_F(MenusTest, AboutShowsTheBuildDate) {
  Start();
  QTimer::singleShot(0, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
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

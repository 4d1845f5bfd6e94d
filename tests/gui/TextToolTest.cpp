#include <QTest>
#include <string>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "fonts/FontFace.h"
#include "fonts/FontManager.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/TextMetrics.h"
#include "model/TextShape.h"
#include "render/View.h"
#include "tools/TextTool.h"
#include "tools/Tool.h"

namespace {

// Keys go straight to the tool: the window's key handling lives elsewhere.
class TextToolTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    Start();
    FixView(2, 1);
    SelectTool(kToolText);
  }
  void TearDown() override {
    SelectTool(kToolSelection);
    GuiTest::TearDown();
  }
  TextTool& Tool() { return *static_cast<TextTool*>(ToolFor(kToolText)); }
  QPoint Px(float x, float y) {
    View& v = App().client->view();
    const Point d = v.Transform(x, y);
    const double k = v.DevicePixelRatio();
    return QPoint(qRound(d.x / k), qRound(d.y / k));
  }
  void Type(const std::string& keys) {
    for (unsigned char c : keys) Tool().Key(c);
  }
};

TEST_F(TextToolTest, ClickAndSmallDragGiveDefaultSizes) {
  const struct {
    float x1, y1, x2, y2;
    float width;
  } cases[] = {
      {300, 400, 300, 400, 144},  // a click
      {250, 400, 350, 395, 100},  // 100 wide, 5 high: the height becomes 144 before layout
  };
  for (const auto& c : cases) {
    QTest::mousePress(App().client->viewport(), Qt::LeftButton, {}, Px(c.x1, c.y1));
    QTest::mouseMove(App().client->viewport(), Px(c.x2, c.y2));
    QTest::mouseRelease(App().client->viewport(), Qt::LeftButton, {}, Px(c.x2, c.y2));
    TextShape* t = Tool().text();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->frame().x1, c.x1);
    EXPECT_EQ(t->frame().y1, c.y1);
    EXPECT_EQ(t->frame().x2 - t->frame().x1, c.width);
    EXPECT_EQ(t->leading(), 26);
  }
  // Neither box was typed into, so nothing was added.
  SelectTool(kToolSelection);
  EXPECT_EQ(App().drawing->shapes().Count(), 0);
}

TEST_F(TextToolTest, KeysMoveTheCaretOverTheWholeTextAndTabIsIgnored) {
  QTest::mouseClick(App().client->viewport(), Qt::LeftButton, {}, Px(300, 400));
  Type("ab\rcd");
  Type("\t");
  Tool().Key(kKeyHome);
  EXPECT_EQ(Tool().caret(), 0);
  Tool().Key(kKeyDelete);
  Tool().Key(kKeyEnd);
  EXPECT_EQ(Tool().caret(), 4);
  Tool().Key(8);
  EXPECT_STREQ(Tool().text()->text(), "b\rc");
  SelectTool(kToolSelection);
  ASSERT_EQ(App().drawing->shapes().Count(), 1);
  EXPECT_TRUE(App().drawing->IsSelected(App().drawing->shapes()[0]));
}

TEST_F(TextToolTest, UndoRestoresTextAsBeforeTheClick) {
  FontManager* fm = TheFontManager();
  ASSERT_TRUE(fm && fm->DefaultFace());
  auto* t = new TextShape("Hello", fm->DefaultFace()->PostScriptName(), 24, 26, 0);
  t->SetFrame(250, 450, 400, 300);
  App().drawing->AddShape(t);
  const float baseline = 450 - CurrentTextMetrics()->Ascent(t->font().c_str(), 24);
  QTest::mouseClick(App().client->viewport(), Qt::LeftButton, {}, Px(252, baseline));
  ASSERT_EQ(Tool().state(), TextTool::kEditing);
  EXPECT_EQ(Tool().caret(), 0);
  Type("X");
  SelectTool(kToolSelection);
  EXPECT_STREQ(t->text(), "XHello");
  App().drawing->Undo();
  EXPECT_STREQ(t->text(), "Hello");
}

TEST_F(TextToolTest, UpAndDownKeepTheColumn) {
  QTest::mouseClick(App().client->viewport(), Qt::LeftButton, {}, Px(300, 400));
  Type("abc\rabc");
  Tool().Key(kKeyLeft);
  Tool().Key(kKeyUp);
  EXPECT_EQ(Tool().caret(), 2);
  Tool().Key(kKeyDown);
  EXPECT_EQ(Tool().caret(), 6);
}

TEST_F(TextToolTest, LandscapeTurnsANewBoxToTheScreen) {
  App().drawing->landscape = 1;
  App().client->view().UpdateMapping();
  QTest::mouseClick(App().client->viewport(), Qt::LeftButton, {}, Px(300, 400));
  TextShape* t = Tool().text();
  ASSERT_NE(t, nullptr);
  EXPECT_NEAR(t->matrix().a, 0, 1e-6);
  EXPECT_NEAR(t->matrix().b, 1, 1e-6);
  EXPECT_EQ(t->frame().x2 - t->frame().x1, 144);
}

TEST_F(TextToolTest, BoxHandleDragIsUndoable) {
  FontManager* fm = TheFontManager();
  ASSERT_TRUE(fm && fm->DefaultFace());
  auto* t = new TextShape("Hello", fm->DefaultFace()->PostScriptName(), 24, 26, 0);
  t->SetFrame(250, 450, 400, 300);
  App().drawing->AddShape(t);
  Tool().BeginEdit(t);
  QTest::mousePress(App().client->viewport(), Qt::LeftButton, {}, Px(400, 450));
  QTest::mouseMove(App().client->viewport(), Px(420, 450));
  QTest::mouseRelease(App().client->viewport(), Qt::LeftButton, {}, Px(420, 450));
  EXPECT_EQ(t->frame().x2, 420);
  App().drawing->Undo();
  EXPECT_EQ(t->frame().x2, 400);
}

}  // namespace

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
#include "support/TestSupport.h"
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
  // A text box holding "Hello" in the default face, 24 points, framed (250, 450)-(400, 300).
  static TextShape* AddHello() {
    FontManager* fm = TheFontManager();
    EXPECT_TRUE(fm && fm->DefaultFace());
    if (!fm || !fm->DefaultFace()) return nullptr;
    auto* t = new TextShape("Hello", fm->DefaultFace()->PostScriptName(), 24, 26, 0);
    t->SetFrame(250, 450, 400, 300);
    App().drawing->AddShape(t);
    return t;
  }
  void Type(const std::string& keys) {
    for (unsigned char c : keys) Tool().Key(c);
  }
};

TEST_F(TextToolTest, ClickAndSmallDragGiveDefaultSizesTurnedToTheScreen) {
  const struct {
    float x1, y1, x2, y2;
    float width;
    int landscape;
  } cases[] = {
      {300, 400, 300, 400, 144, 0},  // a click
      {250, 400, 350, 395, 100, 0},  // 100 wide, 5 high: the height becomes 144 before layout
      {300, 400, 300, 400, 144, 1},  // a click on a landscape page: the box faces the screen
  };
  for (const auto& c : cases) {
    App().drawing->landscape = c.landscape;
    App().client->view().UpdateMapping();
    Drag(c.x1, c.y1, c.x2, c.y2);
    TextShape* t = Tool().text();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(V(t->frame().x1, t->frame().y1, t->frame().x2 - t->frame().x1, t->leading()),
              V(c.x1, c.y1, c.width, 26));
    EXPECT_NEAR(t->matrix().b, c.landscape, 1e-6);
    EXPECT_NEAR(t->matrix().a, 1 - c.landscape, 1e-6);
  }
  // No box was typed into, so nothing was added.
  SelectTool(kToolSelection);
  EXPECT_EQ(App().drawing->shapes().Count(), 0);
}

TEST_F(TextToolTest, KeysMoveTheCaretOverTheWholeTextAndTabIsIgnored) {
  Click(300, 400);
  Type("ab\rcd");
  Tool().Key(kKeyLeft);  // up and down keep the column
  Tool().Key(kKeyUp);
  EXPECT_EQ(Tool().caret(), 1);
  Tool().Key(kKeyDown);
  EXPECT_EQ(Tool().caret(), 4);
  Tool().Key(kKeyEnd);
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
  TextShape* t = AddHello();
  ASSERT_NE(t, nullptr);
  const float baseline = 450 - CurrentTextMetrics()->Ascent(t->font().c_str(), 24);
  Click(252, baseline);
  ASSERT_EQ(Tool().state(), TextTool::kEditing);
  EXPECT_EQ(Tool().caret(), 0);
  Type("X");
  SelectTool(kToolSelection);
  EXPECT_STREQ(t->text(), "XHello");
  App().drawing->Undo();
  EXPECT_STREQ(t->text(), "Hello");
}

TEST_F(TextToolTest, BoxHandleDragIsUndoable) {
  TextShape* t = AddHello();
  ASSERT_NE(t, nullptr);
  Tool().BeginEdit(t);
  Drag(400, 450, 420, 450);
  EXPECT_EQ(t->frame().x2, 420);
  App().drawing->Undo();
  EXPECT_EQ(t->frame().x2, 400);
}

}  // namespace

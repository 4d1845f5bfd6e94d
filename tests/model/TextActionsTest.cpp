#include <gtest/gtest.h>

#include <utility>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "model/UndoActions.h"
#include "support/ModelTestSupport.h"

namespace {

using TextActionsTest = PaintingTest;

TEST_F(TextActionsTest, EditTextExchangesAndRelaysOut) {
  Drawing drawing;
  auto* text = new TextShape("hello", "F", 12, 13, 0);
  drawing.AddShape(text);
  // The tool types first and records afterwards with the text as it was.
  TextBuffer before(text->buffer());
  text->SetText(std::string(30, 'x').append(" more").c_str());
  ASSERT_STREQ(text->text(), (std::string(30, 'x') + "\nmore").c_str());
  ASSERT_TRUE(drawing.undo().Record(new EditTextAction(&drawing, text, std::move(before))));
  drawing.modified = 0;

  drawing.Undo();
  EXPECT_STREQ(text->text(), "hello");
  // The frame grew for the long word and stays grown; the cached bounds follow the frame.
  EXPECT_EQ(V(text->frame().y2, BoundsOf(text, 0).y1, drawing.modified), V(-12, -12, 1));
  drawing.Redo();
  EXPECT_STREQ(text->text(), (std::string(30, 'x') + "\nmore").c_str());
  EXPECT_FLOAT_EQ(text->frame().y2, -25);
}

TEST_F(TextActionsTest, TextColourReachesTextsInGroupsOnly) {
  Drawing drawing;
  auto* inner = new TextShape("a", "F", 12, 13, 0);
  auto* box = new BoxShape(0, 0, 10, 10);
  auto* group = new GroupShape;
  group->children()->Append(inner);
  group->children()->Append(box);
  auto* outer = new TextShape("b", "F", 12, 13, 0);
  outer->SetFillColor(Color{0, 100, 0});
  drawing.AddShape(group);
  drawing.AddShape(outer);
  drawing.SelectAll();

  const Color red{100, 0, 0};
  ASSERT_TRUE(RunAction(&drawing, new TextColorAction(&drawing, red)));
  EXPECT_TRUE(inner->style().fillColor == red && outer->style().fillColor == red);
  EXPECT_TRUE(box->style().fillOn == 0 && box->style().fillColor == (Color{100, 100, 100}));
  drawing.Undo();
  EXPECT_TRUE(inner->style().fillColor == (Color{0, 0, 0}) &&
              outer->style().fillColor == (Color{0, 100, 0}));
}

TEST_F(TextActionsTest, FontUndoRestoresAndRelaysOutAndSizeAloneKeepsFonts) {
  Drawing drawing;
  auto* inner = new TextShape("aaaa bbbb cccc", "Times", 12, 13, 0);
  inner->SetLeading(20);
  auto* group = new GroupShape;
  group->children()->Append(inner);
  auto* outer = new TextShape("dd", "Courier", 9, 10, 3);
  drawing.AddShape(group);
  drawing.AddShape(outer);
  drawing.SelectAll();

  // Size 24 doubles the widths: the 14 characters (168) no longer fit the 144 frame.
  ASSERT_TRUE(RunAction(
      &drawing, new TextStyleAction(&drawing, TextStyleChange::FontAndSize("Helvetica", 24))));
  EXPECT_EQ(inner->font() + outer->font() + inner->text(), "HelveticaHelveticaaaaa bbbb\ncccc");
  EXPECT_EQ(V(inner->size(), inner->leading()), V(24, 26));
  drawing.Undo();
  EXPECT_EQ(inner->font() + outer->font() + inner->text(), "TimesCourieraaaa bbbb cccc");
  EXPECT_EQ(V(inner->size(), inner->leading(), inner->frame().y2, outer->leading()),
            V(12, 20, -12, 10));

  // A size without a font keeps each text's own font.
  ASSERT_TRUE(
      RunAction(&drawing, new TextStyleAction(&drawing, TextStyleChange::FontAndSize("", 20))));
  EXPECT_EQ(inner->font() + outer->font() + std::to_string(outer->size()), "TimesCourier20.000000");
}

}  // namespace

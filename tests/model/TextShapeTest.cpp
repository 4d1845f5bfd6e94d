#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/TextShape.h"
#include "support/ModelTestSupport.h"

namespace {

using TextShapeTest = PaintingTest;

TEST(TextBufferTest, EmbeddedNulAndMovedFromBuffer) {
  TextBuffer b;
  TextBuffer copy(b);
  ASSERT_TRUE(copy.Store("abc"));
  // The text ends at an embedded NUL, as every writer will see it.
  ASSERT_TRUE(b.Store("ab\0cd", 5));
  EXPECT_EQ(b.length(), 3);
  // A buffer without memory cannot grow and keeps holding nothing.
  TextBuffer taken(std::move(copy));
  EXPECT_EQ(copy.capacity(), 0);
  EXPECT_FALSE(copy.Store("x"));
  EXPECT_STREQ(copy.c_str(), "");
}

TEST_F(TextShapeTest, LayoutBreaksAndReflows) {
  TextShape t("aaaa bbbb cccc", "F", 12, 13, 0);
  EXPECT_STREQ(t.text(), "aaaa bbbb cccc");
  EXPECT_FLOAT_EQ(t.frame().y2, -12);  // one line: ascent 9 - descent -3
  t.SetFrame(0, 0, 60, -144);
  EXPECT_STREQ(t.text(), "aaaa bbbb\ncccc");
  EXPECT_EQ(V(t.frame().x2, t.frame().y2), V(60, -25));  // 9 + 13 + 3
  t.SetFrame(0, 0, 144, -25);
  EXPECT_STREQ(t.text(), "aaaa bbbb cccc");

  // Hard breaks stay through every re-flow.
  t.SetText("aaaa bbbb\rcccc dddd");
  t.SetFrame(0, 0, 30, -10);
  EXPECT_STREQ(t.text(), "aaaa\nbbbb\rcccc\ndddd");
  EXPECT_FLOAT_EQ(t.frame().y2, -(9 + 3 * 13 + 3));
  t.SetFrame(0, 0, 144, -10);
  EXPECT_STREQ(t.text(), "aaaa bbbb\rcccc dddd");

  // An empty text is one line of ascent minus descent.
  t.SetText("");
  EXPECT_EQ(V(t.frame().x2, t.frame().y2), V(144, -12));
}

TEST_F(TextShapeTest, LongWordWidensFrameAndIsNeverBroken) {
  const std::string word(26, 'w');  // 156 wide in a 144 frame
  TextShape t((word + " ab").c_str(), "F", 12, 13, 0);
  // No space before the word: the space after it becomes the break.
  EXPECT_EQ(std::string(t.text()), word + "\nab");
  EXPECT_FLOAT_EQ(t.frame().x2, 156.001f);
  // A word after others moves to a line of its own.
  t.SetText(("ab " + word + " cd").c_str());
  EXPECT_EQ(std::string(t.text()), "ab\n" + word + "\ncd");
  // Shorter text never narrows the frame.
  t.SetText("hi");
  EXPECT_FLOAT_EQ(t.frame().x2, 156.001f);

  // Only the first 511 characters of a line are measured and drawn.
  t.SetText(std::string(600, 'a').c_str());
  EXPECT_FLOAT_EQ(t.frame().x2, 511 * 6 + 0.001f);
  t.Draw(1);
  ASSERT_EQ(painter.shown.size(), 1u);
  EXPECT_EQ(painter.shown[0].size(), 511u);
}

TEST_F(TextShapeTest, LineTestWithAndWithoutFrame) {
  TextShape t("aaaa bbbb", "F", 12, 13, 0);
  t.Move(100, 100);  // baseline at y 91 from x 100 to 154; frame 100..244 by 100..88
  // The second in the frame past the line's end; the third on the frame's right edge.
  EXPECT_EQ(V(t.TouchesRect(119, 90, 121, 92), t.TouchesRect(199, 90, 201, 92),
              t.LineTest(243, 94, 245, 96, 1), t.LineTest(243, 94, 245, 96, 0),
              t.LineTest(0, 0, 5, 5, 1), t.HitInterior(120, 91)),
            V(1, 0, 1, 0, 0, 0));
  ExpectRect(BoundsOf(&t, 0), 100, 88, 244, 100);

  // The drawing's query honours the frame option; the text finder looks into groups.
  ShapeList list;
  GroupShape group;
  group.children()->Append(&t);
  list.Append(&group);
  EXPECT_FALSE(ShapesTouchedBy(list, 243, 94, 245, 96, 0, nullptr));
  EXPECT_TRUE(ShapesTouchedBy(list, 243, 94, 245, 96, kQueryTextFrame, nullptr));
  EXPECT_EQ(FindTextTouching(list, 119, 90, 121, 92), &t);
  EXPECT_EQ(FindTextTouching(list, 243, 94, 245, 96), nullptr);
  group.ReleaseChildren();

  // Justified lines reach the frame's right edge.
  TextShape j("aa bb cc dd", "F", 12, 13, 3);
  j.SetFrame(0, 0, 60, -10);
  EXPECT_EQ(j.TouchesRect(58, -10, 59, -8), 1);
}

TEST_F(TextShapeTest, CollectFontsLooksIntoGroups) {
  ShapeList list;
  GroupShape* group = new GroupShape;
  group->children()->Append(new TextShape("aaaa", "Courier", 12, 20, 2));
  group->children()->Append(new TextShape("x", "Times", 9, 10, 0));
  list.Append(new TextShape("y", "Times", 9, 10, 0));
  list.Append(group);
  std::vector<std::string> fonts;
  EXPECT_TRUE(CollectFonts(list, &fonts));
  EXPECT_EQ(fonts, (std::vector<std::string>{"Times", "Courier"}));
  DestroyShapes(&list);
}

}  // namespace

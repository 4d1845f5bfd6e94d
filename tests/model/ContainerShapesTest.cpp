#include <gtest/gtest.h>

#include "model/ContainerShapes.h"
#include "model/SimpleShapes.h"
#include "support/ModelTestSupport.h"

namespace {

template <typename T>
T* Add(ContainerShape* c, T* child) {
  c->children()->Append(child);
  return child;
}

using ContainerTest = PaintingTest;

}  // namespace

TEST_F(ContainerTest, ChangesReachEveryChildAndReadsComeFromTheEnds) {
  GroupShape group;
  PaintStyle untouched;
  untouched.lineWidth = 9;
  group.GetPaintStyle(&untouched);  // no children: nothing read
  EXPECT_FLOAT_EQ(untouched.lineWidth, 9);

  BoxShape* box = Add(&group, new BoxShape(0, 0, 10, 10));
  LineShape* line = Add(&group, new LineShape(0, 0, 5, 5));
  box->SetArrows(Arrowhead{1, 0}, Arrowhead{0, 1});
  line->SetArrows(Arrowhead{0, 3}, Arrowhead{2, 2});
  box->SetLineWidth(7);
  line->SetLineWidth(2);

  PaintStyle ps;
  group.GetPaintStyle(&ps);
  EXPECT_FLOAT_EQ(ps.lineWidth, 7);  // the first child's
  Arrowhead l, r;
  group.GetArrows(&l, &r);
  EXPECT_TRUE(l == (Arrowhead{0, 3}) && r == (Arrowhead{2, 2}));  // the last child's

  group.SetFillColor(Color{1, 2, 3});
  group.SetDash(2);
  EXPECT_EQ(V(box->style().fillOn, line->style().dash), V(1, 2));
  EXPECT_EQ(line->style().fillColor, (Color{1, 2, 3}));
  group.SetNoStroke();
  EXPECT_EQ(box->style().strokeOn + line->style().strokeOn, 0);
  group.SetArrows(Arrowhead{1, 1}, Arrowhead{1, 1});
  EXPECT_EQ(box->rightArrow(), (Arrowhead{1, 1}));

  group.Move(10, 20);
  group.Scale(0, 0, 2, 2);
  // The children move; the container itself stays put.
  EXPECT_EQ(V(box->matrix().tx, line->matrix().ty, group.matrix().tx), V(20, 40, 0));
  ExpectRect(BoundsOf(&group, 0), 20, 40, 40, 60);
}

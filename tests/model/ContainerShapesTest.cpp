#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/PathShapes.h"
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
  EXPECT_EQ(l, (Arrowhead{0, 3}));  // the last child's
  EXPECT_EQ(r, (Arrowhead{2, 2}));

  group.SetFillColor(Color{1, 2, 3});
  group.SetDash(2);
  EXPECT_EQ(box->style().fillOn, 1);
  EXPECT_EQ(line->style().fillColor, (Color{1, 2, 3}));
  EXPECT_EQ(line->style().dash, 2);
  group.SetNoStroke();
  EXPECT_EQ(box->style().strokeOn + line->style().strokeOn, 0);
  group.SetArrows(Arrowhead{1, 1}, Arrowhead{1, 1});
  EXPECT_EQ(box->rightArrow(), (Arrowhead{1, 1}));

  group.Move(10, 20);
  group.Scale(0, 0, 2, 2);
  EXPECT_FLOAT_EQ(box->matrix().tx, 20);
  EXPECT_FLOAT_EQ(line->matrix().ty, 40);
  EXPECT_FLOAT_EQ(group.matrix().tx, 0);  // the container itself stays put
  ExpectRect(BoundsOf(&group, 0), 20, 40, 40, 60);
}

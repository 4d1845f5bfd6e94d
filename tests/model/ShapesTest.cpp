#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

#include "model/GraphicsState.h"
#include "model/ImageShape.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "support/ModelTestSupport.h"

namespace {

using ShapeTest = PaintingTest;

TEST_F(ShapeTest, BoundsGrowByRoundedHalfLineWidthAndFollowTheMatrix) {
  BoxShape box(10, 10, 20, 30);
  ExpectRect(BoundsOf(&box, 0), 10, 10, 20, 30);
  // Dashed: width 1 for the bounds.
  for (auto [width, dash, grow] : {std::tuple{3.0f, -1, 2}, {0.25f, -1, 0}, {5.0f, 0, 1}}) {
    box.SetLineWidth(width);
    box.SetDash(dash);
    ExpectRect(BoundsOf(&box, 1), 10 - grow, 10 - grow, 20 + grow, 30 + grow);
  }

  // A rotated oval reports its rotated enclosing box, not the tight ellipse.
  OvalShape oval(0, 0, 20, 10);
  BoxShape frame(-20, -10, 20, 10);
  oval.Rotate(5, 5, 45);
  frame.Rotate(5, 5, 45);
  Rect rf = BoundsOf(&frame, 0);
  ExpectRect(BoundsOf(&oval, 0), rf.x1, rf.y1, rf.x2, rf.y2);
  EXPECT_NEAR(rf.x2 - rf.x1, 30 * std::sqrt(2.0), 1e-3);
}

TEST_F(ShapeTest, InteriorHitsNeedFillAndFollowTheOutline) {
  BoxShape box(100, 200, 50, 20);          // corners unnormalised
  EXPECT_EQ(box.HitInterior(75, 100), 0);  // fill off: never inside
  box.SetFillColor(Color{0, 0, 100});
  EXPECT_EQ(V(box.HitInterior(75, 100), box.HitInterior(51, 21), box.HitInterior(120, 100),
              box.HitInterior(75, 210)),
            V(1, 1, 0, 0));
  // Only the outline touches: a rectangle in the middle does not, one across an edge does.
  EXPECT_EQ(V(box.TouchesRect(70, 90, 80, 110), box.TouchesRect(48, 90, 52, 110),
              box.TouchesRect(300, 300, 310, 310)),
            V(0, 1, 0));

  LineShape line(0, 0, 100, 100);
  line.SetFillColor(Color{0, 0, 0});
  // The second rectangle inside its bounds, off the segment.
  EXPECT_EQ(V(line.HitInterior(50, 50), line.TouchesRect(40, 60, 45, 65)), V(0, 0));
  line.Move(0, 20);
  EXPECT_EQ(V(line.TouchesRect(48, 48, 52, 52), line.TouchesRect(48, 68, 52, 72)), V(0, 1));

  // A filled quarter arc is the segment between arc and chord, not the pie slice.
  ArcShape arc(0, 0, 100, 100, 0, 90);
  arc.SetFillColor(Color{0, 100, 0});
  EXPECT_EQ(V(arc.HitInterior(60, 60), arc.HitInterior(20, 20), arc.HitInterior(80, 80)),
            V(1, 0, 0));  // the last outside the circle

  OvalShape oval(0, 0, 50, 20);
  oval.SetPattern(2);
  EXPECT_EQ(oval.HitInterior(45, 0), 1);
  EXPECT_EQ(oval.HitInterior(45, 18), 0);  // inside the box, outside the ellipse
}

TEST_F(ShapeTest, CloneIsDeepAndKeepsEverything) {
  ArcShape arc(1, 2, 3, 4, 10, 20);
  arc.SetFillColor(Color{10, 20, 30});
  arc.SetArrows(Arrowhead{1, 1}, Arrowhead{2, 2});
  arc.Hide();
  arc.Move(7, 8);
  std::unique_ptr<Shape> copy(arc.Clone());
  ASSERT_TRUE(copy && copy->Kind() == kArcShape);
  auto* c = static_cast<ArcShape*>(copy.get());
  EXPECT_EQ(V(c->endAngle, c->IsHidden()), V(20, 1));
  EXPECT_EQ(c->style(), arc.style());
  EXPECT_EQ(c->rightArrow(), (Arrowhead{2, 2}));
  arc.Move(100, 0);
  arc.rx = 50;
  EXPECT_EQ(V(c->matrix().tx, c->rx), V(7, 3));

  ImageShape image;
  image.image.width = image.image.height = 1;
  image.image.pixels = {1, 2, 3};
  std::unique_ptr<Shape> ic(image.Clone());
  image.image.pixels[0] = 9;
  EXPECT_EQ(static_cast<ImageShape*>(ic.get())->image.pixels[0], 1);
}

TEST_F(ShapeTest, ImageDrawsPixelsOnlyWhenItHasThemAndHitsItsSquare) {
  ImageShape image;
  image.SetMatrix(0, 40, -20, 0, 100, 100);  // rotated a quarter turn
  image.Draw(1);
  EXPECT_EQ(painter.images, 0);
  image.image.width = image.image.height = 1;
  image.image.pixels = {0, 0, 0};
  image.Draw(1);
  EXPECT_EQ(V(painter.images, painter.imageCtm.b, TheGraphicsState().matrix().b), V(1, 40, 0));

  ExpectRect(BoundsOf(&image, 0), 80, 100, 100, 140);
  EXPECT_EQ(image.HitInterior(90, 120), 0);  // fill off
  image.SetFillColor(Color{});
  EXPECT_EQ(V(image.HitInterior(90, 120), image.HitInterior(101, 120),
              image.TouchesRect(99, 119, 101, 121), image.TouchesRect(89, 119, 91, 121)),
            V(1, 0, 1, 0));
  EXPECT_EQ(image.LoadFromFile("/nonexistent/picture.bmp"), 0);
  EXPECT_FALSE(image.image.HasPixels());
}

}  // namespace

// An arc keeps its path steps between drawings; new angles must give the new arc's path.
TEST(ArcShapePath, FollowsItsAnglesAfterADrawing) {
  auto pathOf = [](ArcShape& arc) {
    GraphicsState& gs = TheGraphicsState();
    gs.newpath();
    arc.BuildPath();
    std::vector<float> coords;
    for (const PathElement& e : gs.path())
      for (const Point& p : e.p) coords.insert(coords.end(), {float(e.kind), p.x, p.y});
    gs.newpath();
    return coords;
  };
  ArcShape arc(10, 20, 30, 40, 30, 300);
  pathOf(arc);
  arc.startAngle = 200;
  arc.endAngle = 20;
  ArcShape fresh(10, 20, 30, 40, 200, 20);
  EXPECT_EQ(pathOf(arc), pathOf(fresh));
  arc.endAngle = 90;
  fresh.endAngle = 90;
  EXPECT_EQ(pathOf(arc), pathOf(fresh));
}

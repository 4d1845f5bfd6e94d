#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "model/Drawing.h"
#include "model/ShapeQuery.h"
#include "model/SimpleShapes.h"
#include "support/ModelTestSupport.h"

namespace {

// A drawing large enough to be indexed, edited at random through the drawing's commands and
// the undo stack: after every edit, the query answers exactly as the plain walk in list order.
TEST(HitIndexTest, AnswersAsThePlainWalkAfterRandomEdits) {
  std::mt19937 random(20261207);
  auto uniform = [&](float lo, float hi) {
    return std::uniform_real_distribution<float>(lo, hi)(random);
  };
  auto below = [&](int n) { return int(random() % unsigned(n)); };
  Drawing d;
  auto addShape = [&] {
    float x = uniform(0, 600), y = uniform(0, 600), w = uniform(0.5f, 40), h = uniform(0.5f, 40);
    Shape* s = below(3) == 0   ? static_cast<Shape*>(new LineShape(x, y, x + w, y + h))
               : below(2) == 0 ? static_cast<Shape*>(new OvalShape(x, y, w, h))
                               : static_cast<Shape*>(new BoxShape(x, y, x + w, y + h));
    if (below(50) == 0) s->Rotate(x, y, uniform(0, 90));
    d.AddShape(s);
  };
  const std::function<void()> edits[] = {
      [&] { d.MoveBy(uniform(-60, 60), uniform(-60, 60)); },
      [&] { d.MoveBy(uniform(-60, 60), uniform(-60, 60)); },
      [&] { d.Clear(); },
      [&] { d.Undo(); },
      [&] { d.Redo(); },
      [&] { d.Group(); },
      [&] { d.SelectAll(), d.Ungroup(); },  // ungroups every group: a wholesale change
      [&] { d.BringToFront(); },
      [&] { d.SendToBack(); },
      [&] {
        for (int i = 0; i < 40; ++i) addShape();
      },
      [&] { d.Cut(), d.Paste(); },
      [&] { d.RotateBy(uniform(-30, 30)); }};
  for (int step = 0; step < 300; ++step) {
    while (d.shapes().Count() < 10400) addShape();
    d.ClearSelection();
    const int picks = below(3) == 0 ? 300 : 1 + below(4);
    for (int i = 0; i < picks; ++i) d.Select(d.shapes()[below(d.shapes().Count())]);
    edits[below(12)]();
    ASSERT_GE(d.shapes().Count(), 10000);
    for (int k = 0; k < 6; ++k) {
      const float x = uniform(-20, 640), y = uniform(-20, 640);
      const float w = k < 4 ? 2 : uniform(0, 300), h = k < 4 ? 2 : uniform(0, 300);
      const int32_t flags = k % 2 == 0 ? kQueryStopAtFirst : 0;
      ShapeList got, want;
      const bool found = ShapesTouchedBy(d.shapes(), x, y, x + w, y + h, flags, &got);
      ASSERT_EQ(found, WalkShapesTouchedBy(d.shapes(), Rect{x, y, x + w, y + h}, flags, &want));
      ASSERT_EQ(Order(got), Order(want)) << "step " << step << " query " << k;
    }
  }
}

}  // namespace

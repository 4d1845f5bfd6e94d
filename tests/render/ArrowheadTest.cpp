#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "model/Arrowhead.h"
#include "support/TestSupport.h"

namespace {

struct Drawn {
  PaintStyle style;
  std::vector<Point> points;
  int32_t closed;
};

std::vector<Drawn> Collect(const PaintStyle& line, float x1, float y1, float x2, float y2,
                           const Arrowhead* start, const Arrowhead* end) {
  std::vector<Drawn> out;
  DrawLineArrowheads(line, x1, y1, x2, y2, start, end,
                     [&](const PaintStyle* s, const Point* p, int32_t n, int32_t closed) {
                       out.push_back({*s, std::vector<Point>(p, p + n), closed});
                     });
  return out;
}

}  // namespace

TEST(Arrowhead, AngleIsExactForVerticalLinesAndAtan2Otherwise) {
  EXPECT_EQ(ArrowheadAngle(5, 10, 5, 0), 90.0);
  EXPECT_EQ(ArrowheadAngle(5, 0, 5, 10), -90.0);
  // Coincident points: the tip is not above, so -90.
  EXPECT_EQ(ArrowheadAngle(5, 5, 5, 5), -90.0);
  EXPECT_DOUBLE_EQ(ArrowheadAngle(0, 0, 10, 0), 180.0);
  EXPECT_DOUBLE_EQ(ArrowheadAngle(10, 10, 0, 0), 45.0);
}

TEST(Arrowhead, ScaleFollowsSolidWidthDashedIsOneNeverBelowOne) {
  for (auto [width, dash, scale] :
       {std::tuple{4.0f, -1, 4.0f}, {4.0f, 2, 1.0f}, {0.0f, -1, 1.0f}, {0.5f, -1, 1.0f}}) {
    EXPECT_EQ(ArrowheadScale(PaintStyle{.lineWidth = width, .dash = dash}), scale)
        << width << " " << dash;
  }
}

TEST(Arrowhead, OutlinesAreRotatedScaledAndPlacedAtTheTip) {
  const PaintStyle line{2, 1, 0, Color{100, 0, 0}, Color{0, 0, 100}, -1, -1};
  ArrowheadOutline o;
  // Type 1 pointing right from (100, 50): the tip extends 9w beyond the end point.
  ASSERT_TRUE(MakeArrowheadOutline(line, 1, 100, 50, 0, 50, &o));
  ASSERT_EQ(o.count, 4);
  for (auto [i, x, y] : {std::tuple{1, 100, 56}, {2, 118, 50}, {3, 100, 44}}) {
    EXPECT_NEAR(o.points[i].x, x, 1e-5) << i;
    EXPECT_NEAR(o.points[i].y, y, 1e-5) << i;
  }
  EXPECT_EQ(V(o.style.fillOn, o.style.strokeOn, o.style.pattern, o.style.dash), V(1, 0, -1, -1));
  EXPECT_TRUE(o.style.fillColor == line.strokeColor);

  // Type 2 pointing straight down: exact -90 gives exact coordinates; outline only, pen 2w.
  ASSERT_TRUE(MakeArrowheadOutline(line, 2, 10, 0, 10, 30, &o));
  ASSERT_EQ(o.count, 3);
  // (-6, -6) * 2 rotated by -90: (-12, 12).
  EXPECT_EQ(
      V(o.points[0].x, o.points[0].y, o.points[1].x, o.points[1].y, o.points[2].x, o.points[2].y),
      V(-2, 12, 10, 0, 22, 12));
  EXPECT_EQ(V(o.style.fillOn, o.style.strokeOn, o.style.lineWidth), V(0, 1, 4));
  EXPECT_TRUE(o.style.strokeColor == line.strokeColor);
  EXPECT_EQ(o.closed, 0);  // an open V, as the procset strokes it

  // Types 3 and 4 end at the tip; all of them stay on the line's side.
  ASSERT_TRUE(MakeArrowheadOutline(line, 3, 0, 0, 10, 0, &o));
  EXPECT_EQ(o.count, 6);
  for (int i = 0; i < o.count; ++i) EXPECT_GE(o.points[i].x, -1e-5);
  ASSERT_TRUE(MakeArrowheadOutline(line, 4, 0, 0, 10, 0, &o));
  EXPECT_EQ(o.count, 5);
  EXPECT_NEAR(o.points[2].x, 18, 1e-5);

  EXPECT_FALSE(MakeArrowheadOutline(line, 5, 0, 0, 1, 1, &o));
  EXPECT_FALSE(MakeArrowheadOutline(line, -1, 0, 0, 1, 1, &o));
}

TEST(Arrowhead, LineEndsPointAwayFromEachOther) {
  PaintStyle line;
  Arrowhead start{1, 0}, end{2, 0}, off{0, 0};
  auto drawn = Collect(line, 0, 0, 100, 0, &start, &end);
  ASSERT_EQ(drawn.size(), 2u);
  // Kind 0 is a notched dart from the line's end: (0, 0), (-1, 2), (6, 0), (-1, -2). The start
  // arrow's tip is at (0, 0) reaching to -6; the end arrow reaches to 106.
  ASSERT_EQ(drawn[0].points.size(), 4u);
  EXPECT_EQ(V(drawn[0].points[0].x, drawn[0].points[1].x, drawn[0].points[2].x,
              drawn[1].points[2].x, drawn[0].closed),
            V(0, 1, -6, 106, 1));
  EXPECT_EQ(Collect(line, 0, 0, 100, 0, &off, nullptr).size(), 0u);
  // An unknown kind from a damaged file draws nothing rather than reading past the table.
  Arrowhead bad{1, 9};
  EXPECT_EQ(Collect(line, 0, 0, 100, 0, &bad, nullptr).size(), 0u);
}

#include <gtest/gtest.h>

#include <vector>

#include "model/Arrowhead.h"
#include "output/QlxWriter.h"

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
  PaintStyle s;
  s.lineWidth = 4;
  EXPECT_EQ(ArrowheadScale(s), 4.0f);
  s.dash = 2;
  EXPECT_EQ(ArrowheadScale(s), 1.0f);
  s.dash = -1;
  s.lineWidth = 0;
  EXPECT_EQ(ArrowheadScale(s), 1.0f);
  s.lineWidth = 0.5f;
  EXPECT_EQ(ArrowheadScale(s), 1.0f);
}

TEST(Arrowhead, OutlinesAreRotatedScaledAndPlacedAtTheTip) {
  PaintStyle line;
  line.lineWidth = 2;
  line.strokeColor = Color{100, 0, 0};
  line.fillColor = Color{0, 0, 100};
  ArrowheadOutline o;
  // Type 1 pointing right from (100, 50): the tip extends 9w beyond the end point.
  ASSERT_TRUE(MakeArrowheadOutline(line, 1, 100, 50, 0, 50, &o));
  ASSERT_EQ(o.count, 4);
  EXPECT_NEAR(o.points[1].x, 100, 1e-5);
  EXPECT_NEAR(o.points[1].y, 56, 1e-5);
  EXPECT_NEAR(o.points[2].x, 118, 1e-5);
  EXPECT_NEAR(o.points[2].y, 50, 1e-5);
  EXPECT_NEAR(o.points[3].y, 44, 1e-5);
  EXPECT_EQ(o.style.fillOn, 1);
  EXPECT_EQ(o.style.strokeOn, 0);
  EXPECT_TRUE(o.style.fillColor == line.strokeColor);
  EXPECT_EQ(o.style.pattern, -1);
  EXPECT_EQ(o.style.dash, -1);

  // Type 2 pointing straight down: exact -90 gives exact coordinates; outline only, pen 2w.
  ASSERT_TRUE(MakeArrowheadOutline(line, 2, 10, 0, 10, 30, &o));
  ASSERT_EQ(o.count, 3);
  EXPECT_EQ(o.points[0].x, -2.0f);  // (-6, -6) * 2 rotated by -90: (-12, 12)
  EXPECT_EQ(o.points[0].y, 12.0f);
  EXPECT_EQ(o.points[1].x, 10.0f);
  EXPECT_EQ(o.points[1].y, 0.0f);
  EXPECT_EQ(o.points[2].x, 22.0f);
  EXPECT_EQ(o.points[2].y, 12.0f);
  EXPECT_EQ(o.style.fillOn, 0);
  EXPECT_EQ(o.style.strokeOn, 1);
  EXPECT_EQ(o.style.lineWidth, 4.0f);
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
  EXPECT_NEAR(drawn[0].points[0].x, 0, 1e-5);
  EXPECT_NEAR(drawn[0].points[1].x, 1, 1e-5);
  EXPECT_NEAR(drawn[0].points[2].x, -6, 1e-5);
  EXPECT_NEAR(drawn[1].points[2].x, 106, 1e-5);
  EXPECT_EQ(drawn[0].closed, 1);
  EXPECT_EQ(Collect(line, 0, 0, 100, 0, &off, nullptr).size(), 0u);
  // An unknown kind from a damaged file draws nothing rather than reading past the table.
  Arrowhead bad{1, 9};
  EXPECT_EQ(Collect(line, 0, 0, 100, 0, &bad, nullptr).size(), 0u);
}

TEST(Arrowhead, ProcsetProcedureIsTracedFromTheTableUnchanged) {
  // The bytes stored files and printers already carry.
  const char* kArrowhead =
      "/arrowhead { gsave [] 0 setdash strokeC strokeM strokeY strokeK setcmykcolor 2\r\n"
      "  copy moveto 4 2 roll exch 4 -1 roll exch sub 3 1 roll sub exch atan rotate dup\r\n"
      "  scale arrowtype dup 0 eq { -1 2 rlineto 7 -2 rlineto -7 -2 rlineto closepath\r\n"
      "  fill } if dup 1 eq { 0 3 rlineto 9 -3 rlineto -9 -3 rlineto closepath fill }\r\n"
      "  if dup 2 eq { currentpoint -6 -6 rmoveto lineto -6 6 rlineto 2 setlinewidth\r\n"
      "  stroke } if dup 3 eq { 0 0.5 rlineto -7 1.5 rlineto 1 -2 rlineto -1 -2 rlineto\r\n"
      "  7 1.5 rlineto closepath fill } if dup 4 eq { 0 -0.5 rlineto -9 -2.5 rlineto 0\r\n"
      "  6 rlineto 9 -2.5 rlineto closepath fill } if pop grestore } bind def\r\n"
      "/setcmykcolor where";
  const std::string procset = QlxProcsetText();
  EXPECT_NE(procset.find("} bind def\r\n" + std::string(kArrowhead)), std::string::npos);
}

// Enhanced metafile records of today's writers: paths, 32-bit points, Beziers, extended pens,
// world transforms, arcs, chords and pies, text size and the log of skipped records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/DebugLog.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "output/MetafileImport.h"
#include "output/RoundTripDrawing.h"
#include "output/WmfReader.h"
#include "support/ModelTestSupport.h"
#include "support/OutputTestSupport.h"

namespace {

// An enhanced metafile built record by record: 100 units per inch, 1000 x 1000 units.
class Emf {
 public:
  Emf() {
    Rec(1, {0, 0, 1000, 1000, 0, 0, 25400, 25400, 0x464D4520, 0x10000,
            0, 0, 0,    0,    0, 0, 1000,  1000,  254,        254});
  }
  void Rec(uint32_t type, const std::vector<uint32_t>& words) {
    Put(type);
    Put(uint32_t(8 + 4 * words.size()));
    for (uint32_t w : words) Put(w);
  }
  // Records with bounds first and a count of points.
  void Points(uint32_t type, const std::vector<int32_t>& xy) {
    std::vector<uint32_t> w = {0, 0, 0, 0, uint32_t(xy.size() / 2)};
    for (int32_t v : xy) w.push_back(uint32_t(v));
    Rec(type, w);
  }
  static uint32_t F(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
  }
  std::string Finish() {
    Rec(14, {0, 0, 0});
    return bytes_;
  }

 private:
  void Put(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(char(v >> (8 * i)));
  }
  std::string bytes_;
};

}  // namespace

TEST(EmfRecords, EachNewRecordKindMakesItsShape) {
  roundtrip::ScopedFixedFonts fonts;
  Emf e;
  e.Rec(95, {1, 0, 0, 0, 0, 0x10000, 10, 0, 0x0000FF, 0, 0});  // geometric solid red pen
  e.Rec(37, {1});
  e.Rec(39, {2, 0, 0xFF0000, 0});  // solid blue brush
  e.Rec(37, {2});
  e.Rec(59, {});  // a path of a triangle and a Bezier figure
  e.Rec(27, {100, 100});
  e.Rec(54, {300, 100});
  e.Rec(54, {300, 300});
  e.Rec(61, {});
  e.Rec(27, {400, 100});
  e.Points(88, {});  // no points: nothing
  e.Rec(88, {0, 0, 0, 0, 3, 450 | (100u << 16), 500 | (200u << 16), 500 | (300u << 16)});
  e.Rec(60, {});
  e.Rec(63, {0, 0, 0, 0});
  e.Points(3, {0, 400, 100, 400, 50, 500});            // 32-bit polygon
  e.Points(2, {0, 600, 50, 550, 100, 650, 150, 600});  // 32-bit Bezier
  e.Rec(35, {Emf::F(2), 0, 0, Emf::F(1), 0, 0});       // world: x doubled
  e.Rec(43, {0, 700, 50, 750});
  e.Rec(36, {0, 0, 0, 0, 0, 0, 1});  // back to identity
  for (uint32_t type : {45u, 46u, 47u}) e.Rec(type, {600, 600, 800, 800, 800, 700, 700, 600});
  e.Rec(59, {});
  e.Rec(55, {600, 600, 800, 800, 800, 700, 700, 600});
  e.Rec(68, {});  // aborted: nothing
  e.Rec(
      82,
      {3, uint32_t(-20), 0, 0, 0, 400, 0, 0, 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
       0});
  e.Rec(37, {3});
  e.Rec(84, {0, 0, 0, 0, 1, 0, 0, 900, 900, 2, 76, 0, 0, 0, 0, 0, 0, 'H' | ('i' << 16)});
  e.Rec(76, {0, 0, 0, 0});
  e.Rec(81, {0, 0, 0, 0});
  ClearDebugLog();
  const std::string b = e.Finish();
  ShapeList shapes;
  ASSERT_EQ(ConvertMetafile(reinterpret_cast<const uint8_t*>(b.data()), b.size(), &shapes), 1);
  std::vector<double> kinds;
  for (Shape* s : shapes) kinds.push_back(s->Kind());
  ASSERT_EQ(kinds, V(kCompoundShape, kPolygonShape, kCurveShape, kBoxShape, kArcShape, kCurveShape,
                     kCurveShape, kTextShape));
  const float k = 0.72f;  // 72 / 100 units per inch

  // The path: one compound of a closed triangle (the line-tos drew nothing alone) and a curve.
  ShapeList& parts = *static_cast<CompoundShape*>(shapes[0])->children();
  ASSERT_EQ(parts.Count(), 2);
  EXPECT_EQ(V(parts[0]->Kind(), parts[1]->Kind()), V(kPolygonShape, kCurveShape));
  EXPECT_TRUE(static_cast<PolygonShape*>(parts[0])->closed);
  EXPECT_NEAR(BoundsOf(shapes[0], 0).x2 - BoundsOf(shapes[0], 0).x1, 400 * k, 0.01);
  EXPECT_NEAR(parts[0]->style().lineWidth, 10 * k, 1e-4);
  EXPECT_EQ(parts[0]->style().fillOn, 1);

  EXPECT_TRUE(static_cast<PolygonShape*>(shapes[1])->closed);
  EXPECT_EQ(V(static_cast<CurveShape*>(shapes[2])->nodes.Count(), shapes[2]->style().fillOn),
            V(2, 0));
  // The world transform doubles the box's width.
  EXPECT_NEAR(BoundsOf(shapes[3], 0).x2 - BoundsOf(shapes[3], 0).x1, 100 * k, 0.01);
  EXPECT_NEAR(BoundsOf(shapes[3], 0).y2 - BoundsOf(shapes[3], 0).y1, 50 * k, 0.01);
  // From east to north, counter-clockwise: a quarter of the circle of radius 100 units.
  EXPECT_EQ(static_cast<CurveShape*>(shapes[6])->nodes.Count(),
            static_cast<CurveShape*>(shapes[5])->nodes.Count() + 1);  // the pie's centre
  const Rect arc = BoundsOf(shapes[4], 0);
  for (int i = 4; i <= 6; ++i)
    ExpectRect(BoundsOf(shapes[i], 0), arc.x1, arc.y1, arc.x1 + 100 * k, arc.y1 + 100 * k, 0.01f);
  EXPECT_TRUE(static_cast<CurveShape*>(shapes[5])->closed);
  auto* text = static_cast<TextShape*>(shapes[7]);
  EXPECT_NEAR(text->size(), 20 * k, 1e-3);  // the real size; the matrix only moves
  EXPECT_LT(std::hypot(text->matrix().a - 1, text->matrix().d - 1), 1e-5);
  // Two bitmap records are reported in one line.
  const auto& log = DebugLogLines();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
    return Contains(line, "Metafile import: 2 bitmap records skipped");
  }));
  DestroyShapes(&shapes);
}

TEST(EmfRecords, ReaderTakesTheFrameWideTextAndRefusesBadCounts) {
  // Polygon (1, 2) (3, 4) (5, 6) in 16-bit points; a text of e acute, euro, a surrogate pair and
  // a check mark in UTF-16 at (10, 20), its string right after the 17 words of the record.
  const std::vector<uint32_t> polygon = {0, 0, 0, 0, 3, 0x20001, 0x40003, 0x60005};
  std::vector<uint32_t> text = {0, 0, 0, 0, 1, 0, 0, 10, 20, 5, 76, 0, 0, 0, 0, 0, 0};
  text.insert(text.end(), {0x20AC00E9, 0xDE00D83D, 0x2713});
  Emf e;
  e.Rec(38, {1, 2, 3, 0, 0x0000FF});  // EMR_CREATEPEN 1: dot, width 3, red
  e.Rec(37, {1});
  e.Rec(37, {0x80000000u | 5});  // stock null brush
  e.Rec(86, polygon);
  e.Rec(84, text);
  MetafileInfo info;
  bool ok = false;
  std::vector<MetaRecord> recs = ReadAllRecords(e.Finish(), &info, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(V(info.enhanced, info.placeable, info.unitsPerInch, info.right), V(1, 1, 100, 1000));
  ASSERT_EQ(recs.size(), 5u);
  ASSERT_EQ(recs[3].points.size(), 3u);
  EXPECT_EQ(V(recs[0].kind, recs[0].value, recs[0].width, recs[2].handle, recs[3].points[2].x,
              recs[3].points[2].y, recs[4].kind, recs[4].x),
            V(MetaKind::kCreatePen, 2, 3, 0x80000005u, 5, 6, MetaKind::kTextOut, 10));
  EXPECT_EQ(recs[4].text, "\xE9\x80??");

  // A count that claims more points than the record holds, and a string offset past the end.
  Emf count, offset;
  count.Rec(86, {0, 0, 0, 0, 1000, 0, 0, 0});
  text[10] = 0xFFFFFF00u;
  offset.Rec(84, text);
  for (Emf* bad : {&count, &offset}) {
    ReadAllRecords(bad->Finish(), &info, &ok);
    EXPECT_FALSE(ok);
  }
}

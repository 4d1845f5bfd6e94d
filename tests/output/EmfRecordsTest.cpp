// Enhanced metafile records of today's writers: paths, 32-bit points, Beziers, extended pens,
// world transforms, arcs, chords and pies, text size and the log of skipped records.
#include <gtest/gtest.h>

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

Rect Bounds(Shape* s) {
  Rect r;
  s->GetBounds(&r, 0);
  return r;
}

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
  ASSERT_EQ(shapes.Count(), 8);
  const float k = 0.72f;  // 72 / 100 units per inch

  // The path: one compound of a closed triangle (the line-tos drew nothing alone) and a curve.
  ASSERT_EQ(shapes[0]->Kind(), kCompoundShape);
  ShapeList& parts = *static_cast<CompoundShape*>(shapes[0])->children();
  ASSERT_EQ(parts.Count(), 2);
  EXPECT_EQ(parts[0]->Kind(), kPolygonShape);
  EXPECT_TRUE(static_cast<PolygonShape*>(parts[0])->closed);
  EXPECT_EQ(parts[1]->Kind(), kCurveShape);
  EXPECT_NEAR(Bounds(shapes[0]).x2 - Bounds(shapes[0]).x1, 400 * k, 0.01);
  EXPECT_NEAR(parts[0]->style().lineWidth, 10 * k, 1e-4);
  EXPECT_EQ(parts[0]->style().fillOn, 1);

  EXPECT_EQ(shapes[1]->Kind(), kPolygonShape);
  EXPECT_TRUE(static_cast<PolygonShape*>(shapes[1])->closed);
  ASSERT_EQ(shapes[2]->Kind(), kCurveShape);
  EXPECT_EQ(static_cast<CurveShape*>(shapes[2])->nodes.Count(), 2);
  EXPECT_EQ(shapes[2]->style().fillOn, 0);
  // The world transform doubles the box's width.
  EXPECT_EQ(shapes[3]->Kind(), kBoxShape);
  EXPECT_NEAR(Bounds(shapes[3]).x2 - Bounds(shapes[3]).x1, 100 * k, 0.01);
  EXPECT_NEAR(Bounds(shapes[3]).y2 - Bounds(shapes[3]).y1, 50 * k, 0.01);
  // From east to north, counter-clockwise: a quarter of the circle of radius 100 units.
  EXPECT_EQ(shapes[4]->Kind(), kArcShape);
  EXPECT_EQ(shapes[5]->Kind(), kCurveShape);
  EXPECT_EQ(shapes[6]->Kind(), kCurveShape);
  EXPECT_EQ(static_cast<CurveShape*>(shapes[6])->nodes.Count(),
            static_cast<CurveShape*>(shapes[5])->nodes.Count() + 1);  // the pie's centre
  const Rect arc = Bounds(shapes[4]);
  for (int i = 4; i <= 6; ++i) {
    const Rect r = Bounds(shapes[i]);
    EXPECT_NEAR(r.x2 - r.x1, 100 * k, 0.01) << i;
    EXPECT_NEAR(r.y2 - r.y1, 100 * k, 0.01) << i;
    EXPECT_NEAR(r.x1, arc.x1, 0.01) << i;
    EXPECT_NEAR(r.y1, arc.y1, 0.01) << i;
  }
  EXPECT_TRUE(static_cast<CurveShape*>(shapes[5])->closed);
  EXPECT_EQ(shapes[7]->Kind(), kTextShape);
  auto* text = static_cast<TextShape*>(shapes[7]);
  EXPECT_NEAR(text->size(), 20 * k, 1e-3);  // the real size; the matrix only moves
  EXPECT_NEAR(text->matrix().a, 1, 1e-5);
  EXPECT_NEAR(text->matrix().d, 1, 1e-5);
  // Two bitmap records are reported in one line.
  bool logged = false;
  for (const std::string& line : DebugLogLines()) {
    logged = logged || line.find("Metafile import: 2 bitmap records skipped") != std::string::npos;
  }
  EXPECT_TRUE(logged);
  DestroyShapes(&shapes);
}

// Metafiles as LibreOffice writes them from an SVG scene: every shape comes in, curves as
// curves, the outlines at their widths, and the text at its real size with a matrix that only
// moves it. LibreOffice writes no pen for a wide outline: it fills the outline's shape instead,
// piece by piece, so an outline's width is the width of its filled stripes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/TextShape.h"
#include "output/MetafileImport.h"
#include "support/LibreOfficeScene.h"
#include "support/ModelTestSupport.h"

namespace {

// What the shape reports of its style (a compound path its children's).
PaintStyle StyleOf(Shape* s) {
  PaintStyle st;
  s->GetPaintStyle(&st);
  return st;
}

bool HasCurve(Shape* s) {
  if (s->Kind() == kCurveShape || s->Kind() == kOvalShape) return true;
  if (s->Kind() != kCompoundShape) return false;
  for (Shape* c : *static_cast<CompoundShape*>(s)->children())
    if (HasCurve(c)) return true;
  return false;
}

// A polygon's or curve's outline in page points, its Beziers flattened; empty for other shapes.
std::vector<Point> Outline(Shape* s) {
  std::vector<Point> local;
  if (s->Kind() == kPolygonShape) {
    auto* p = static_cast<PolygonShape*>(s);
    for (int32_t i = 0; i < p->points.Count(); ++i) local.push_back(p->points[i]);
  } else if (s->Kind() == kCurveShape) {
    auto* c = static_cast<CurveShape*>(s);
    const int32_t n = c->nodes.Count();
    for (int32_t i = 0; i < (c->closed ? n : n - 1); ++i) {
      const CurveNode &a = c->nodes[i], &b = c->nodes[(i + 1) % n];
      for (float t = 0; t < 1; t += 0.125f) {
        const float u = 1 - t, k0 = u * u * u, k1 = 3 * u * u * t, k2 = 3 * u * t * t;
        local.push_back(Point{k0 * a.x + k1 * a.outX + k2 * b.inX + t * t * t * b.x,
                              k0 * a.y + k1 * a.outY + k2 * b.inY + t * t * t * b.y});
      }
    }
  }
  const Matrix& m = s->matrix();
  for (Point& p : local) p = Transform(m, p.x, p.y);
  return local;
}

// The width of an outline of colour `c` that `s` gives: its pen width when it strokes in that
// colour; when it is only filled in it, the width of the stripe it is (LibreOffice writes wide
// lines as filled outlines): the short side of the rectangle of the same area and perimeter.
// `length` gets the piece's half perimeter, so the main piece can be picked; 0 for neither.
float InkWidth(Shape* s, const Color& c, float* length) {
  const PaintStyle st = StyleOf(s);
  *length = 0;
  if (s->Kind() == kTextShape) return 0;
  if (st.strokeOn && st.strokeColor == c) {
    const Rect r = BoundsOf(s, 0);
    *length = r.x2 - r.x1 + r.y2 - r.y1;
    return st.lineWidth;
  }
  const std::vector<Point> pts = Outline(s);
  if (st.strokeOn || !st.fillOn || !(st.fillColor == c) || pts.size() < 3) return 0;
  double area = 0, perimeter = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    const Point &p = pts[i], &q = pts[(i + 1) % pts.size()];
    area += double(p.x) * q.y - double(q.x) * p.y;
    perimeter += std::hypot(q.x - p.x, q.y - p.y);
  }
  area = std::fabs(area) / 2;
  *length = float(perimeter / 2);
  return float((perimeter - std::sqrt(std::max(perimeter * perimeter - 16 * area, 0.0))) / 4);
}

}  // namespace

class MetafileLibreOfficeInterop : public ::testing::TestWithParam<const char*> {};

TEST_P(MetafileLibreOfficeInterop, SceneComesInWhole) {
  if (!libreoffice::Installed()) GTEST_SKIP() << "soffice is not installed";
  const std::string kind = GetParam();
  const std::string path = libreoffice::ConvertScene(kind);
  ASSERT_FALSE(path.empty());
  ShapeList shapes;
  ASSERT_EQ(ImportMetafile(path, &shapes), 1);
  // 288 points wide, under 300, so the picture grows to the page's width, centred on it.
  const Rect all = BoundsOfList(shapes, 0);
  EXPECT_NEAR(all.x2 - all.x1, 612, 612 * 0.05);
  EXPECT_NEAR((all.x1 + all.x2) / 2, 306, 0.5);
  // The triangle, 90 points wide in the scene, gives the picture's growth.
  float grow = 0;
  Rect triangle;
  for (Shape* s : shapes)
    if (StyleOf(s).fillOn && StyleOf(s).fillColor == Color{20, 66, 20})
      triangle = BoundsOf(s, 0), grow = (triangle.x2 - triangle.x1) / 90;
  ASSERT_GT(grow, 0);
  int texts = 0, curves = 0, red = 0;
  for (Shape* s : shapes) {
    curves += HasCurve(s);
    const PaintStyle st = StyleOf(s);
    red += (st.fillOn && st.fillColor == Color{100, 0, 0}) ||
           (st.strokeOn && st.strokeColor == Color{100, 0, 0});
    if (s->Kind() != kTextShape) continue;
    ++texts;
    auto* t = static_cast<TextShape*>(s);
    EXPECT_STREQ(t->text(), "Hello WMF");
    // 20 points, grown with the picture; the matrix neither scales nor turns.
    EXPECT_NEAR(t->size() / grow, 20, 1.0) << kind;
    EXPECT_LT(std::hypot(t->matrix().a - 1, t->matrix().b, t->matrix().d - 1), 1e-4);
  }
  EXPECT_EQ(texts, 1);
  EXPECT_GT(red, 0);  // the curve
  // WMF has no Beziers: LibreOffice flattens curves there; the EMF keeps them.
  EXPECT_GE(curves, kind == std::string("emf") ? 2 : 0);
  // Each outline's width, from its longest piece in its colour and part of the scene.
  struct Outlined {
    Color color;
    float x1, y1, x2, y2, width;  // the part of the scene, and the width there
  } outlines[] = {{{0, 0, 0}, 0, 0, 135, 95, 3},
                  {{0, 0, 0}, 140, 0, 288, 95, 1},
                  {{100, 0, 0}, 0, 0, 288, 216, 4},
                  {{0, 0, 0}, 0, 140, 145, 216, 2}};
  for (const Outlined& o : outlines) {
    float width = 0, longest = 0;
    for (Shape* s : shapes) {
      const Rect r = BoundsOf(s, 0);
      // The piece's centre in the scene, placed by the triangle (scene box 170 100 260 160).
      const float x = 170 + ((r.x1 + r.x2) / 2 - triangle.x1) / grow,
                  y = 100 + (triangle.y2 - (r.y1 + r.y2) / 2) / grow;
      float length = 0;
      const float w = InkWidth(s, o.color, &length);
      if (x > o.x1 && x < o.x2 && y > o.y1 && y < o.y2 && length > longest) {
        longest = length;
        width = w;
      }
    }
    EXPECT_NEAR(width / grow, o.width, o.width * 0.1)
        << kind << ": the " << o.width << " pt outline";
  }
  DestroyShapes(&shapes);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MetafileLibreOfficeInterop, ::testing::Values("wmf", "emf"));

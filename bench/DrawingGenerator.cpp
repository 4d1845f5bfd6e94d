#include "bench/DrawingGenerator.h"

#include <cmath>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/ImageShape.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"

uint64_t BenchRandom::Next() {
  uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

double BenchRandom::Unit() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }

float BenchRandom::Range(float lo, float hi) { return lo + float(Unit()) * (hi - lo); }

int32_t BenchRandom::Below(int32_t n) { return n <= 1 ? 0 : int32_t(Next() % uint64_t(n)); }

namespace {

constexpr float kPageWidth = 612;
constexpr float kPageHeight = 792;

PaintStyle RandomStyle(BenchRandom& r, const GeneratorVariant& v) {
  static const float kWidths[] = {0, 0.5f, 1, 1, 2, 4, 8};
  PaintStyle s;
  s.lineWidth = kWidths[r.Below(7)];
  s.strokeOn = r.Below(8) != 0;
  s.fillOn = r.Below(2);
  s.strokeColor = Color{float(r.Below(101)), float(r.Below(101)), float(r.Below(101))};
  s.fillColor = Color{float(r.Below(101)), float(r.Below(101)), float(r.Below(101))};
  s.pattern = r.Below(3) == 0 ? r.Below(9) : -1;
  s.dash = r.Below(5) == 0 ? r.Below(4) : -1;
  if (!s.strokeOn && !s.fillOn) s.strokeOn = 1;
  if (v.strokeWidth >= 0) s.lineWidth = v.strokeWidth;
  if (v.solid) s.dash = -1;
  if (v.fill == GeneratorVariant::Fill::kNone) {
    s.fillOn = 0;
    s.strokeOn = 1;
  } else if (v.fill == GeneratorVariant::Fill::kOnly) {
    s.fillOn = 1;
    s.strokeOn = 0;
  }
  return s;
}

// Places local geometry around the origin at (tx, ty): mostly a plain move, sometimes turned,
// scaled or skewed as the transform tools leave shapes.
void Place(BenchRandom& r, Shape* s, float tx, float ty) {
  float a = 1, b = 0, c = 0, d = 1;
  switch (r.Below(8)) {
    case 0:
    case 1: {
      double t = r.Range(0, 360) * 3.141592653589793 / 180;
      a = float(std::cos(t));
      b = float(std::sin(t));
      c = -b;
      d = a;
      break;
    }
    case 2:
      a = r.Range(0.5f, 2);
      d = r.Range(0.5f, 2);
      break;
    case 3:
      c = r.Range(-0.5f, 0.5f);
      break;
    case 4:
      a = -1;  // reflected
      break;
    default:
      break;
  }
  s->SetMatrix(a, b, c, d, tx, ty);
}

Shape* SimpleShape(BenchRandom& r, int kind, float size) {
  float w = r.Range(2, size), h = r.Range(2, size);
  switch (kind) {
    case 0: {
      auto* l = new LineShape(-w / 2, -h / 2, w / 2, h / 2);
      if (r.Below(6) == 0) l->SetArrows(Arrowhead{1, r.Below(5)}, Arrowhead{0, 4});
      return l;
    }
    case 1:
      return new BoxShape(-w / 2, -h / 2, w / 2, h / 2);
    case 2:
      return new OvalShape(0, 0, w / 2, h / 2);
    case 3:
      return new ArcShape(0, 0, w / 2, h / 2, r.Range(0, 360), r.Range(0, 360));
    case 4: {
      auto* p = new PolygonShape;
      int n = 3 + r.Below(6);
      for (int i = 0; i < n; ++i) p->AddPoint(r.Range(-w / 2, w / 2), r.Range(-h / 2, h / 2));
      if (r.Below(2)) p->Close();
      return p;
    }
    case 5: {
      auto* c = new CurveShape;
      int n = 2 + r.Below(5);
      for (int i = 0; i < n; ++i) {
        CurveNode node =
            MakeCurveNode(r.Range(-w / 2, w / 2), r.Range(-h / 2, h / 2), uint8_t(r.Below(2)));
        node.inX = node.x + r.Range(-w / 4, w / 4);
        node.inY = node.y + r.Range(-h / 4, h / 4);
        node.outX = 2 * node.x - node.inX;
        node.outY = 2 * node.y - node.inY;
        c->AddNode(node);
      }
      if (r.Below(3) == 0) c->Close();
      return c;
    }
    default: {
      auto* img = new ImageShape;
      img->image.width = 4;
      img->image.height = 4;
      img->image.pixels.resize(4 * 4 * 3);
      for (uint8_t& px : img->image.pixels) px = uint8_t(r.Below(256));
      return img;
    }
  }
}

// Kinds 0..6 as in SimpleShape; an image is placed on its unit square by the matrix.
Shape* PlacedSimple(BenchRandom& r, const GeneratorVariant& v, int kind, float x, float y,
                    float size) {
  Shape* s = SimpleShape(r, kind, size);
  if (kind == 6) {
    float w = r.Range(4, size), h = r.Range(4, size);
    s->SetMatrix(w, 0, 0, h, x - w / 2, y - h / 2);
    return s;
  }
  s->SetPaintStyle(RandomStyle(r, v));
  Place(r, s, x, y);
  return s;
}

Shape* MakeContainer(BenchRandom& r, const GeneratorVariant& v, bool compound, float x, float y,
                     int depth) {
  ContainerShape* box = compound ? static_cast<ContainerShape*>(new CompoundShape)
                                 : static_cast<ContainerShape*>(new GroupShape);
  ShapeList* children = box->children();
  if (!children) return box;
  int n = 2 + r.Below(3);
  PaintStyle shared = RandomStyle(r, v);
  for (int i = 0; i < n; ++i) {
    float cx = x + r.Range(-30, 30), cy = y + r.Range(-30, 30);
    Shape* child;
    if (!compound && depth == 0 && r.Below(6) == 0) {
      child = MakeContainer(r, v, false, cx, cy, depth + 1);
    } else {
      // A compound path is made of outlines; a group holds anything.
      int kind = compound ? 4 + r.Below(2) : r.Below(7);
      child = PlacedSimple(r, v, kind, cx, cy, 40);
      if (compound) child->SetPaintStyle(shared);
    }
    if (!children->Append(child)) {
      delete child;
      break;
    }
  }
  return box;
}

}  // namespace

bool GenerateDrawing(Drawing* drawing, int32_t count, uint64_t seed,
                     const GeneratorVariant& variant) {
  BenchRandom r(seed);
  for (int32_t i = 0; i < count; ++i) {
    float x = r.Range(0, kPageWidth), y = r.Range(0, kPageHeight);
    int pick = r.Below(100);
    Shape* s;
    if (pick < 84) {
      s = PlacedSimple(r, variant, pick / 14, x, y, 60);  // 14% each of the six outline kinds
    } else if (pick < 90) {
      s = PlacedSimple(r, variant, 6, x, y, 60);  // images
    } else if (pick < 97) {
      s = MakeContainer(r, variant, false, x, y, 0);
    } else {
      s = MakeContainer(r, variant, true, x, y, 0);
    }
    if (!drawing->AddShape(s)) {
      delete s;
      return false;
    }
  }
  return true;
}

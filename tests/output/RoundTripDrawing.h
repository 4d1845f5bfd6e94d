// A drawing that uses every shape kind, style field, dash, pattern, arrow kind, group, compound
// path, text alignment and an image, a fixed font list to measure its texts, and a comparison of
// shapes by what the native file carries. Shared by the round-trip and interop tests.
#pragma once

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "fonts/FontManager.h"
#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/ImageShape.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "support/OutputTestSupport.h"

namespace roundtrip {

// Two faces with plain metrics (ascent 0.875 em, descent -0.125 em, every character half an
// em), so layout and placement do not depend on the machine's fonts, and the text boxes the
// writer computes are exact in binary at the sizes used below.
inline std::unique_ptr<FontManager> MakeFixedFonts() {
  auto fonts = std::make_unique<testfonts::FixedFonts>();
  for (auto [ps, face, style] : {std::tuple{"ArialMT", "Arial", 0},
                                 std::tuple{"TimesNewRomanPS-BoldMT", "Times New Roman", 1}}) {
    fonts->Add(std::make_unique<TrueTypeFontFace>(
        testfonts::MakeSystemFace(face, ps, style ? kStyleBold : 0, 875, -125)));
  }
  return fonts;
}

// Installs those faces as the current font manager for the life of the object.
struct ScopedFixedFonts : testfonts::ScopedFonts {
  ScopedFixedFonts() : ScopedFonts(MakeFixedFonts()) {}
};

// A native file around a body of shape lines: grid 6 by 7, shown and snapped.
inline const char kHead[] =
    "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: Ondara Draw, Version 3.1\n%%Orientation: Portrait\n"
    "%%EndComments\n%%BeginProlog\n/Ln { } def\n%%EndProlog\n%%BeginSetup\n%QLX g 6 7 1 1\n"
    "QLXDict begin\n%%EndSetup\n%%Page: 1 1\n%%BeginPageSetup\n/_QLX_savepage save def\n"
    "0 0 m 10 10 L s\n%%EndPageSetup\n";
inline const char kTail[] =
    "%%PageTrailer\n_QLX_savepage restore\n%%Trailer\nend\nshowpage\n%%EOF\n";

inline PaintStyle Style(float width, int32_t strokeOn, int32_t fillOn, Color stroke, Color fill,
                        int32_t pattern, int32_t dash) {
  return PaintStyle{width, strokeOn, fillOn, stroke, fill, pattern, dash};
}

template <typename T>
T* Styled(T* shape, const PaintStyle& style) {
  shape->SetPaintStyle(style);
  return shape;
}

// Numbers are chosen so that "%g" and the matrices' "%.4g" write them exactly; colours are whole
// percentages. Needs a font manager (ScopedFixedFonts) for the texts.
inline void BuildRoundTripDrawing(Drawing* d) {
  const Color black{0, 0, 0}, white{100, 100, 100}, red{100, 0, 0}, teal{0, 70, 30},
      grey{15, 15, 15}, odd{33, 66, 99};
  // Boxes: every pattern and every dash, fill and stroke flags in all four combinations.
  for (int32_t i = 0; i < 10; ++i) {
    auto* box = new BoxShape(20 + 30 * i, 20, 45.5f + 30 * i, 60.25f);
    box->SetPaintStyle(Style(0.5f * float(i + 1), i % 2, (i / 2) % 2, i % 3 ? teal : black,
                             i % 4 ? odd : white, i - 1, i % 5 - 1));
    d->AddShape(box);
  }
  // Ovals and arcs with matrices.
  auto* oval = Styled(new OvalShape(100, 150, 40, 20), Style(2, 1, 1, red, grey, -1, -1));
  oval->SetMatrix(0.5f, 0, 0, 2, 10, -20);
  d->AddShape(oval);
  auto* circle = Styled(new OvalShape(300, 150, 25, 25), Style(1, 0, 1, black, red, 7, -1));
  circle->SetMatrix(0, 1, -1, 0, 450, -150);
  d->AddShape(circle);
  auto* arc = Styled(new ArcShape(200, 250, 50, 30, 30, 300), Style(3, 1, 0, teal, white, -1, 2));
  d->AddShape(arc);
  auto* arc2 = Styled(new ArcShape(400, 250, 20, 40, 270, 45), Style(1, 1, 1, odd, teal, 4, -1));
  arc2->SetMatrix(1, 0.25f, 0, 1, 0, 0);
  d->AddShape(arc2);
  // Lines: each arrow kind at both ends, one end only, none, a dashed one and an invisible one.
  for (int32_t kind = 0; kind < 5; ++kind) {
    auto* line = Styled(new LineShape(20, 300 + 20 * kind, 200, 310 + 20 * kind),
                        Style(1.5f, 1, 0, kind % 2 ? red : black, white, -1, -1));
    line->SetArrows(Arrowhead{1, kind}, Arrowhead{2, kind});
    d->AddShape(line);
  }
  auto* left = Styled(new LineShape(250, 300, 400, 300), Style(4, 1, 0, teal, white, -1, -1));
  left->SetArrows(Arrowhead{1, 3}, Arrowhead{0, 3});
  d->AddShape(left);
  auto* right = Styled(new LineShape(250, 320, 400, 340), Style(1, 1, 0, black, white, -1, 3));
  right->SetArrows(Arrowhead{0, 2}, Arrowhead{2, 2});
  d->AddShape(right);
  auto* plain = Styled(new LineShape(250, 360, 400, 380), Style(0.25f, 0, 0, odd, white, -1, -1));
  plain->SetMatrix(1, 0, 0, 1, 5, 5);
  d->AddShape(plain);
  // Polygons: open, closed, and a two-point one.
  auto* open = Styled(new PolygonShape(), Style(1, 1, 0, black, white, -1, 1));
  for (Point p : {Point{20, 420}, Point{60, 470}, Point{100, 430}, Point{140, 480}})
    open->AddPoint(p.x, p.y);
  d->AddShape(open);
  auto* closed = Styled(new PolygonShape(), Style(2, 1, 1, red, teal, 5, -1));
  for (Point p : {Point{200, 420}, Point{260, 480}, Point{320, 420}}) closed->AddPoint(p.x, p.y);
  closed->Close();
  d->AddShape(closed);
  auto* two = Styled(new PolygonShape(), Style(1, 1, 0, grey, white, -1, -1));
  two->AddPoint(350, 420);
  two->AddPoint(400, 470);
  d->AddShape(two);
  // Curves: open with smooth and corner nodes, closed with a corner first node.
  auto* curve = Styled(new CurveShape(), Style(1, 1, 0, black, white, -1, 0));
  curve->AddNode(CurveNode{20, 520, 20, 520, 40, 560, 0});
  curve->AddNode(CurveNode{80, 520, 60, 500, 100, 540, 1});
  curve->AddNode(CurveNode{140, 530, 120, 570, 140, 530, 0});
  d->AddShape(curve);
  auto* blob = Styled(new CurveShape(), Style(1, 1, 1, teal, odd, 8, -1));
  blob->AddNode(CurveNode{200, 520, 190, 540, 210, 500, 1});
  blob->AddNode(CurveNode{260, 510, 250, 490, 270, 530, 0});
  blob->AddNode(CurveNode{240, 570, 260, 580, 220, 560, 0});
  blob->Close();
  d->AddShape(blob);
  // A group holding a nested group, and a compound path of two polygons.
  auto* group = new GroupShape();
  group->children()->Append(
      Styled(new BoxShape(420, 500, 460, 540), Style(1, 1, 1, black, red, -1, -1)));
  auto* inner = new GroupShape();
  inner->children()->Append(
      Styled(new OvalShape(480, 520, 15, 10), Style(1, 1, 0, teal, white, -1, -1)));
  auto* innerLine = Styled(new LineShape(420, 560, 500, 580), Style(2, 1, 0, black, white, -1, -1));
  innerLine->SetArrows(Arrowhead{0, 4}, Arrowhead{2, 4});
  inner->children()->Append(innerLine);
  group->children()->Append(inner);
  d->AddShape(group);
  auto* compound = new CompoundShape();
  for (float off : {0.0f, 10.0f}) {
    auto* ring = Styled(new PolygonShape(), Style(1, 1, 1, black, grey, -1, -1));
    for (Point p : {Point{520 + off, 420 + off}, Point{580 - off, 420 + off},
                    Point{580 - off, 480 - off}, Point{520 + off, 480 - off}})
      ring->AddPoint(p.x, p.y);
    ring->Close();
    compound->children()->Append(ring);
  }
  d->AddShape(compound);
  // Texts in the four alignments, with paragraph ends, soft breaks, escapes and a byte >= 128.
  const char* texts[4] = {"Left (aligned) text that wraps over a few lines\rand a back\\slash",
                          "Centred\r\xe9t\xe9", "Right", "Justified text that wraps in its frame"};
  for (int32_t align = 0; align < 4; ++align) {
    auto* text = new TextShape(texts[align], align % 2 ? "TimesNewRomanPS-BoldMT" : "ArialMT",
                               12 + 2 * float(align), 13 + 2 * float(align), align);
    text->SetFillColor(align ? teal : black);
    text->SetFrame(40 + 140 * float(align), 760, 160 + 140 * float(align), 700);
    d->AddShape(text);
  }
  auto* turned = new TextShape("Turned", "ArialMT", 18, 20, 0);
  turned->SetMatrix(0, 1, -1, 0, 600, 600);
  d->AddShape(turned);
  // A 5 by 3 image with distinct pixels, placed 50 by 30 points.
  auto* image = new ImageShape();
  image->image.width = 5;
  image->image.height = 3;
  for (int i = 0; i < 45; ++i) image->image.pixels.push_back(uint8_t(i * 37 + 11));
  image->SetMatrix(50, 0, 0, 30, 480, 620);
  d->AddShape(image);
}

// What the native file carries of a shape: numbers compared exactly, numbers compared within
// `tolerance`, and bytes (texts, font names, pixels). Polygons and curves are compared on the page
// (the file holds their points mapped through the matrix); texts compare their frame's page
// position within 0.05 point (the file places a text by a matrix written with four digits).
struct Fields {
  std::vector<double> exact, near;
  double tolerance = 0.001;
  std::string bytes;
  void Add(std::initializer_list<double> v) { exact.insert(exact.end(), v); }
  void Add(const Color& c) { Add({c.red, c.green, c.blue}); }
  void Add(const Matrix& m) { Add({m.a, m.b, m.c, m.d, m.tx, m.ty}); }
  void AddPoint(const Matrix& m, float x, float y) {
    const Point p = Transform(m, x, y);
    near.insert(near.end(), {p.x, p.y});
  }
  // The stroke fields a line carries, or the whole style of a path shape. Widths count as the
  // writers use them (1 for a dashed shape).
  void AddStyle(const Shape& s, bool fillFields) {
    const PaintStyle& p = s.style();
    Add({double(p.strokeOn), s.EffectiveLineWidth(), double(p.dash)});
    Add(p.strokeColor);
    if (fillFields) Add({double(p.fillOn), double(p.pattern)}), Add(p.fillColor);
  }
};

inline Fields FieldsOf(const Shape& s) {
  Fields f;
  f.Add({double(s.Kind())});
  const Matrix& m = s.matrix();
  if (auto* l = dynamic_cast<const LineShape*>(&s)) {
    f.Add({l->x1, l->y1, l->x2, l->y2});
    for (const Arrowhead* e : {&l->leftArrow(), &l->rightArrow()})  // a kind counts when on
      f.Add({double(e->enabled != 0), double(e->enabled ? e->kind : 0)});
  } else if (auto* x = dynamic_cast<const BoxShape*>(&s)) {
    f.Add({x->x1, x->y1, x->x2, x->y2});
  } else if (auto* o = dynamic_cast<const OvalShape*>(&s)) {
    f.Add({o->cx, o->cy, o->rx, o->ry});
  } else if (auto* a = dynamic_cast<const ArcShape*>(&s)) {
    f.Add({a->cx, a->cy, a->rx, a->ry, a->startAngle, a->endAngle});
  } else if (auto* p = dynamic_cast<const PolygonShape*>(&s)) {
    f.Add({double(p->closed), double(p->points.Count())});
    for (const Point& q : p->points) f.AddPoint(m, q.x, q.y);
  } else if (auto* c = dynamic_cast<const CurveShape*>(&s)) {
    const int32_t n = c->nodes.Count();
    f.Add({double(c->closed), double(n)});
    // An open curve does not use the first node's incoming nor the last one's outgoing
    // control, and the first node's corner flag names no segment.
    for (int32_t i = 0; i < n; ++i) {
      const CurveNode& k = c->nodes[i];
      f.AddPoint(m, k.x, k.y);
      if (c->closed || i > 0) f.AddPoint(m, k.inX, k.inY), f.Add({double(k.corner & 1)});
      if (c->closed || i < n - 1) f.AddPoint(m, k.outX, k.outY);
    }
  } else if (auto* t = dynamic_cast<const TextShape*>(&s)) {
    f.bytes = std::string(t->text()) + "|" + t->font();
    f.Add({t->size(), t->leading(), double(t->alignment())});
    f.Add(s.style().fillColor);
    f.tolerance = 0.05;
    f.AddPoint(m, t->frame().x1, t->frame().y1);
    f.AddPoint(m, t->frame().x2, t->frame().y2);
  } else if (auto* i = dynamic_cast<const ImageShape*>(&s)) {
    f.Add({double(i->image.width), double(i->image.height)});
    f.bytes.assign(i->image.pixels.begin(), i->image.pixels.end());
    f.Add(m);
  }  // containers: their children are compared one by one
  const int32_t k = s.Kind();
  if (k != kTextShape && k != kImageShape && k != kGroupShape && k != kCompoundShape)
    f.AddStyle(s, k != kLineShape);
  if (k == kLineShape || k == kBoxShape || k == kOvalShape || k == kArcShape) f.Add(m);
  return f;
}

inline std::string CompareShapeLists(const ShapeList& a, const ShapeList& b);

// "" when the two shapes agree in everything the native file carries; otherwise what differs.
inline std::string CompareShapes(const Shape& a, const Shape& b) {
  const Fields f = FieldsOf(a), g = FieldsOf(b);
  auto differ = [](const char* what, size_t i, double x, double y) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s %zu: %.9g vs %.9g", what, i, x, y);
    return std::string(buf);
  };
  if (f.exact.size() != g.exact.size() || f.near.size() != g.near.size())
    return differ("field count", 0, double(f.exact.size()), double(g.exact.size()));
  for (size_t i = 0; i < f.exact.size(); ++i)
    if (f.exact[i] != g.exact[i]) return differ("field", i, f.exact[i], g.exact[i]);
  for (size_t i = 0; i < f.near.size(); ++i)
    if (std::fabs(f.near[i] - g.near[i]) > f.tolerance)
      return differ("page coordinate", i, f.near[i], g.near[i]);
  if (f.bytes != g.bytes) return "bytes: \"" + f.bytes + "\" vs \"" + g.bytes + "\"";
  if (a.Kind() != kGroupShape && a.Kind() != kCompoundShape) return "";
  return CompareShapeLists(*static_cast<const ContainerShape&>(a).children(),
                           *static_cast<const ContainerShape&>(b).children());
}

inline std::string CompareShapeLists(const ShapeList& a, const ShapeList& b) {
  if (a.Count() != b.Count())
    return "shape count: " + std::to_string(a.Count()) + " vs " + std::to_string(b.Count());
  for (int32_t i = 0; i < a.Count(); ++i) {
    std::string why = CompareShapes(*a[i], *b[i]);
    if (!why.empty()) return "shape " + std::to_string(i) + ": " + why;
  }
  return "";
}

}  // namespace roundtrip

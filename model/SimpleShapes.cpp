#include "model/SimpleShapes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>

#include "model/Arrowhead.h"
#include "model/GraphicsState.h"
#include "model/HandleMarker.h"
#include "model/PathShapes.h"
#include "output/OutputDriver.h"

namespace {

constexpr double kDegToRad = kPi / 180.0;
constexpr double kSqrt2 = 1.4142135623730951;
// A sweep is at most 360 degrees, so four quarters and one remainder cover every arc.
constexpr int kMaxArcPieces = 8;

void SetColor(GraphicsState& gs, const Color& c) {
  gs.setrgbcolor(c.red / 100, c.green / 100, c.blue / 100);
}

// One arrowhead at (tipX, tipY) pointing away from (fromX, fromY), local coordinates of a
// line whose matrix is m. Like the procset, the head lives in the line's own system.
void DrawArrowhead(const Matrix& m, float tipX, float tipY, float fromX, float fromY, int32_t kind,
                   float size, const Color& color) {
  const ArrowheadShape* shape = ArrowheadShapeOf(kind);
  if (!shape) return;
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.newpath();
  gs.concat(m);
  gs.translate(tipX, tipY);
  gs.rotate(ArrowheadAngle(tipX, tipY, fromX, fromY));
  gs.scale(size, size);
  SetColor(gs, color);
  gs.setpattern(-1);
  gs.setdash(-1);
  gs.moveto(shape->points[0].x, shape->points[0].y);
  for (int32_t i = 1; i < shape->count; ++i) gs.lineto(shape->points[i].x, shape->points[i].y);
  if (shape->filled) {
    gs.closepath();
    gs.fill(1);
  } else {
    gs.setlinewidth(shape->penWidth);
    gs.stroke(1);
  }
  gs.grestore();
}

void AddMapped(Rect* r, const Matrix& m, float x, float y) {
  Point p = Transform(m, x, y);
  AddPointToRect(r, p.x, p.y);
}

}  // namespace

ShapeEditors& TheShapeEditors() {
  static ShapeEditors editors;
  return editors;
}

// ---------------------------------------------------------------------------------------------
// LineShape

LineShape::LineShape(float x1, float y1, float x2, float y2) : x1(x1), y1(y1), x2(x2), y2(y2) {}

void LineShape::BuildPath() {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.concat(matrix_);
  gs.moveto(x1, y1);
  gs.lineto(x2, y2);
  gs.grestore();
}

void LineShape::Draw(int32_t mode) {
  if (mode != 1) {
    DrawPath(mode);
    return;
  }
  if (!style_.strokeOn) return;
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.newpath();
  BuildPath();
  gs.setlinewidth(style_.lineWidth);
  SetColor(gs, style_.strokeColor);
  gs.setdash(style_.dash);
  gs.stroke(1);
  gs.grestore();
  const float size = ArrowheadScale(style_);
  if (leftArrow_.enabled)
    DrawArrowhead(matrix_, x1, y1, x2, y2, leftArrow_.kind, size, style_.strokeColor);
  if (rightArrow_.enabled)
    DrawArrowhead(matrix_, x2, y2, x1, y1, rightArrow_.kind, size, style_.strokeColor);
}

void LineShape::DrawHandles(int32_t mode) {
  const Point ends[2] = {{x1, y1}, {x2, y2}};
  MarkHandles(ends, 2, mode);
}

void LineShape::Write(OutputDriver& driver) {
  driver.DrawLine(&style_, &matrix_, x1, y1, x2, y2, &leftArrow_, &rightArrow_);
}

Shape* LineShape::Clone() const { return new (std::nothrow) LineShape(*this); }

void LineShape::GetBounds(Rect* out, int32_t includeLine) {
  Rect r;
  AddMapped(&r, matrix_, x1, y1);
  AddMapped(&r, matrix_, x2, y2);
  if (includeLine) GrowByLineWidth(&r);
  *out = r;
}

Tool* LineShape::Editor() { return TheShapeEditors().line; }

// A line has no interior, so the segment itself is the whole test.
int32_t LineShape::TouchesRect(float rx1, float ry1, float rx2, float ry2) {
  Point a = Transform(matrix_, x1, y1);
  Point b = Transform(matrix_, x2, y2);
  Rect r = NormalizeRect(Rect{rx1, ry1, rx2, ry2});
  return SegmentMeetsRect(a.x, a.y, b.x, b.y, r.x1, r.y1, r.x2, r.y2) ? 1 : 0;
}

int32_t LineShape::HitInterior(float, float) { return 0; }

// ---------------------------------------------------------------------------------------------
// OvalShape

OvalShape::OvalShape(float cx, float cy, float rx, float ry) : cx(cx), cy(cy), rx(rx), ry(ry) {}

void OvalShape::BuildPath() {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.concat(matrix_);
  gs.translate(cx, cy);
  gs.scale(rx, ry);
  gs.arc(0, 0, 1, 0, 360);
  gs.grestore();
}

void OvalShape::Draw(int32_t mode) { DrawPath(mode); }

void OvalShape::DrawHandles(int32_t mode) {
  MarkCentre(cx, cy);
  float hx = float(rx / kSqrt2), hy = float(ry / kSqrt2);
  const Point on[4] = {
      {cx + hx, cy + hy}, {cx - hx, cy - hy}, {cx + hx, cy - hy}, {cx - hx, cy + hy}};
  MarkHandles(on, 4, mode);
}

void OvalShape::Write(OutputDriver& driver) { driver.DrawOval(&style_, &matrix_, cx, cy, rx, ry); }

Shape* OvalShape::Clone() const { return new (std::nothrow) OvalShape(*this); }

// The enclosing box's corners, so a rotated ellipse reports its rotated box.
void OvalShape::GetBounds(Rect* out, int32_t includeLine) {
  Rect r;
  AddMapped(&r, matrix_, cx - rx, cy - ry);
  AddMapped(&r, matrix_, cx - rx, cy + ry);
  AddMapped(&r, matrix_, cx + rx, cy + ry);
  AddMapped(&r, matrix_, cx + rx, cy - ry);
  if (includeLine) GrowByLineWidth(&r);
  *out = r;
}

Tool* OvalShape::Editor() { return TheShapeEditors().oval; }

int32_t OvalShape::TouchesRect(float x1, float y1, float x2, float y2) {
  return TouchesRectByOutline(x1, y1, x2, y2);
}

int32_t OvalShape::HitInterior(float x, float y) { return HitInteriorByOutline(x, y); }

// ---------------------------------------------------------------------------------------------
// BoxShape

BoxShape::BoxShape(float x1, float y1, float x2, float y2) : x1(x1), y1(y1), x2(x2), y2(y2) {}

void BoxShape::BuildPath() {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.concat(matrix_);
  gs.moveto(x1, y1);
  gs.lineto(x1, y2);
  gs.lineto(x2, y2);
  gs.lineto(x2, y1);
  gs.lineto(x1, y1);
  gs.closepath();
  gs.grestore();
}

void BoxShape::Draw(int32_t mode) { DrawPath(mode); }

void BoxShape::DrawHandles(int32_t mode) {
  const Point corners[4] = {{x1, y1}, {x1, y2}, {x2, y2}, {x2, y1}};
  MarkHandles(corners, 4, mode);
}

void BoxShape::Write(OutputDriver& driver) { driver.DrawBox(&style_, &matrix_, x1, y1, x2, y2); }

Shape* BoxShape::Clone() const { return new (std::nothrow) BoxShape(*this); }

void BoxShape::GetBounds(Rect* out, int32_t includeLine) {
  Rect r;
  AddMapped(&r, matrix_, x1, y1);
  AddMapped(&r, matrix_, x1, y2);
  AddMapped(&r, matrix_, x2, y2);
  AddMapped(&r, matrix_, x2, y1);
  if (includeLine) GrowByLineWidth(&r);
  *out = r;
}

Tool* BoxShape::Editor() { return TheShapeEditors().box; }

int32_t BoxShape::TouchesRect(float rx1, float ry1, float rx2, float ry2) {
  return TouchesRectByOutline(rx1, ry1, rx2, ry2);
}

int32_t BoxShape::HitInterior(float x, float y) { return HitInteriorByOutline(x, y); }

// ---------------------------------------------------------------------------------------------
// ArcShape

ArcShape::ArcShape(float cx, float cy, float rx, float ry, float startAngle, float endAngle)
    : cx(cx), cy(cy), rx(rx), ry(ry), startAngle(startAngle), endAngle(endAngle) {}

void ArcShape::BuildPath() {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.concat(matrix_);
  gs.translate(cx, cy);
  gs.scale(rx, ry);
  // Compared bit for bit, so that -0 and NaN angles find their own steps too.
  if (stepCount_ < 0 ||
      std::bit_cast<uint32_t>(stepsFrom_) != std::bit_cast<uint32_t>(startAngle) ||
      std::bit_cast<uint32_t>(stepsTo_) != std::bit_cast<uint32_t>(endAngle)) {
    ArcStep steps[kMaxArcSteps];
    const int n = ArcSteps(0, 0, 1, startAngle, endAngle, steps);
    if (n > kKeptSteps) {
      gs.arcsteps(steps, n);
      gs.grestore();
      return;
    }
    std::copy(steps, steps + n, steps_);
    stepCount_ = n;
    stepsFrom_ = startAngle;
    stepsTo_ = endAngle;
  }
  gs.arcsteps(steps_, stepCount_);
  gs.grestore();
}

void ArcShape::Draw(int32_t mode) { DrawPath(mode); }

void ArcShape::DrawHandles(int32_t mode) {
  MarkCentre(cx, cy);
  double s = startAngle * kDegToRad, e = endAngle * kDegToRad;
  const Point ends[2] = {{float(cx + rx * std::cos(s)), float(cy + ry * std::sin(s))},
                         {float(cx + rx * std::cos(e)), float(cy + ry * std::sin(e))}};
  MarkHandles(ends, 2, mode);
}

void ArcShape::Write(OutputDriver& driver) {
  driver.DrawArc(&style_, &matrix_, cx, cy, rx, ry, startAngle, endAngle);
}

Shape* ArcShape::Clone() const { return new (std::nothrow) ArcShape(*this); }

// Anchors and controls of the Bezier pieces, as for curves; cached because of the
// trigonometry.
void ArcShape::GetBounds(Rect* out, int32_t includeLine) {
  if (!boundsValid_) {
    Rect r;
    double s = startAngle * kDegToRad;
    AddMapped(&r, matrix_, float(cx + rx * std::cos(s)), float(cy + ry * std::sin(s)));
    double starts[kMaxArcPieces], sweeps[kMaxArcPieces];
    int n = std::min(ArcPieces(startAngle, endAngle, starts, sweeps, kMaxArcPieces), kMaxArcPieces);
    for (int i = 0; i < n; ++i) {
      Point p[4];
      ArcPiece(0, 0, 1, starts[i], sweeps[i], p);
      for (const Point& q : p) AddMapped(&r, matrix_, cx + rx * q.x, cy + ry * q.y);
    }
    cachedBounds_ = r;
    boundsValid_ = 1;
  }
  Rect r = cachedBounds_;
  if (includeLine) GrowByLineWidth(&r);
  *out = r;
}

Tool* ArcShape::Editor() { return TheShapeEditors().arc; }

int32_t ArcShape::TouchesRect(float x1, float y1, float x2, float y2) {
  return TouchesRectByOutline(x1, y1, x2, y2);
}

int32_t ArcShape::HitInterior(float x, float y) { return HitInteriorByOutline(x, y); }

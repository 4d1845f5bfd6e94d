#include "model/Arrowhead.h"

#include <cmath>

namespace {

const ArrowheadShape kShapes[kArrowheadKinds] = {
    {4, {{0, 0}, {-1, 2}, {6, 0}, {-1, -2}}, 1, 0},
    {4, {{0, 0}, {0, 3}, {9, 0}, {0, -3}}, 1, 0},
    {3, {{-6, -6}, {0, 0}, {-6, 6}}, 0, 2},
    {6, {{0, 0}, {0, 0.5f}, {-7, 2}, {-6, 0}, {-7, -2}, {0, -0.5f}}, 1, 0},
    {5, {{0, 0}, {0, -0.5f}, {-9, -3}, {-9, 3}, {0, 0.5f}}, 1, 0},
};

}  // namespace

const ArrowheadShape* ArrowheadShapeOf(int32_t kind) {
  if (kind < 0 || kind >= kArrowheadKinds) return nullptr;
  return &kShapes[kind];
}

double ArrowheadAngle(float tipX, float tipY, float fromX, float fromY) {
  if (tipX == fromX) return tipY > fromY ? 90.0 : -90.0;
  return std::atan2(double(tipY) - fromY, double(tipX) - fromX) * 180.0 / kPi;
}

float ArrowheadScale(const PaintStyle& line) {
  float w = line.dash == -1 ? line.lineWidth : 1.0f;
  // Also catches a NaN width from a damaged file.
  if (!(w >= 1.0f)) w = 1.0f;
  return w;
}

bool MakeArrowheadOutline(const PaintStyle& line, int32_t kind, float tipX, float tipY, float fromX,
                          float fromY, ArrowheadOutline* out) {
  const ArrowheadShape* shape = ArrowheadShapeOf(kind);
  if (!shape || !out) return false;
  const double w = ArrowheadScale(line);
  const double angle = ArrowheadAngle(tipX, tipY, fromX, fromY) * kPi / 180.0;
  // Exact quarter turns keep vertical arrows free of cos(90) residue.
  double c = std::cos(angle), s = std::sin(angle);
  if (std::fabs(c) < 1e-12) c = 0;
  if (std::fabs(s) < 1e-12) s = 0;
  // translate(tip) rotate(angle) scale(w, w)
  for (int32_t i = 0; i < shape->count; ++i) {
    double x = shape->points[i].x * w, y = shape->points[i].y * w;
    out->points[i].x = float(tipX + c * x - s * y);
    out->points[i].y = float(tipY + s * x + c * y);
  }
  out->count = shape->count;
  out->closed = shape->filled ? 1 : 0;
  PaintStyle style;
  style.strokeColor = line.strokeColor;
  style.fillColor = line.strokeColor;
  style.pattern = -1;
  style.dash = -1;
  if (shape->filled) {
    style.fillOn = 1;
    style.strokeOn = 0;
    style.lineWidth = float(w);  // unused without a stroke; keeps the writers' width unchanged
  } else {
    style.fillOn = 0;
    style.strokeOn = 1;
    style.lineWidth = float(shape->penWidth * w);
  }
  out->style = style;
  return true;
}

void drawArrowhead(const PaintStyle& line, int32_t kind, float tipX, float tipY, float fromX,
                   float fromY, const ArrowheadPolygonFn& drawPolygon) {
  ArrowheadOutline outline;
  if (!MakeArrowheadOutline(line, kind, tipX, tipY, fromX, fromY, &outline)) return;
  drawPolygon(&outline.style, outline.points, outline.count, outline.closed);
}

void DrawLineArrowheads(const PaintStyle& line, float x1, float y1, float x2, float y2,
                        const Arrowhead* start, const Arrowhead* end,
                        const ArrowheadPolygonFn& drawPolygon) {
  if (start && start->enabled) drawArrowhead(line, start->kind, x1, y1, x2, y2, drawPolygon);
  if (end && end->enabled) drawArrowhead(line, end->kind, x2, y2, x1, y1, drawPolygon);
}

void AddArrowheadInk(Rect* r, const Matrix& m, const PaintStyle& line, int32_t kind, float tipX,
                     float tipY, float fromX, float fromY) {
  ArrowheadOutline o;
  if (!r || !MakeArrowheadOutline(line, kind, tipX, tipY, fromX, fromY, &o)) return;
  // A square of half the pen times sqrt 2 around each point holds the pen's edges and the
  // mitred tip of the V (a right angle).
  const float grow = o.style.strokeOn ? o.style.lineWidth / 2 * 1.4142136f : 0.0f;
  for (int32_t i = 0; i < o.count; ++i)
    for (float dx : {-grow, grow})
      for (float dy : {-grow, grow}) {
        Point p = Transform(m, o.points[i].x + dx, o.points[i].y + dy);
        AddPointToRect(r, p.x, p.y);
      }
}

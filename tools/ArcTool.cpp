#include <cmath>
#include <new>

#include "model/SimpleShapes.h"
#include "platform/msgbox/Messages.h"
#include "tools/ShapeTool.h"
#include "tools/ToolCursors.h"
#include "tools/ToolSupport.h"

namespace {

constexpr double kRadiansPerDegree = 3.141592653589793 / 180;

float DistanceFrom(float cx, float cy, float x, float y) {
  const double dx = double(x) - cx, dy = double(y) - cy, d2 = dx * dx + dy * dy;
  return d2 > 0 ? float(std::sqrt(d2)) : 0.0f;
}

}  // namespace

const char* ArcTool::FirstMessage() const { return "Arc: Click centre"; }
const char* ArcTool::SecondMessage() const { return nullptr; }

std::unique_ptr<Shape> ArcTool::NewShape(float x, float y) const {
  auto* arc = new (std::nothrow) ArcShape;
  if (arc) arc->cx = x, arc->cy = y;
  return std::unique_ptr<Shape>(arc);
}

void ArcTool::MouseMove(float x, float y, int shift) {
  // Between the centre and the start angle there is nothing to show.
  if (state_ == kDrawing) return;
  ShapeTool::MouseMove(x, y, shift);
}

void ArcTool::MouseDown(float x, float y, int shift) {
  if (state_ != kDrawing || !fresh_) {
    ShapeTool::MouseDown(x, y, shift);
    return;
  }
  // The start angle comes from the press as it is, off the grid.
  feedbackDrawn_ = false;
  auto* arc = static_cast<ArcShape*>(fresh_.get());
  arc->startAngle = AngleFrom(arc->cx, arc->cy, x, y);
  arc->InvalidateBounds();
  SetToolCursor(4);
  SetStatusText("Arc: Drag anti-clockwise to end angle");
  state_ = kArcSweep;
}

void ArcTool::MouseUp(float x, float y, int shift) {
  if (state_ == kDrawing && fresh_) {
    SetStatusText("Arc: Click start angle, drag anti-clockwise to end angle");
    return;
  }
  ShapeTool::MouseUp(x, y, shift);
}

void ArcTool::Update(Shape* shape, float x, float y, int) {
  auto* arc = static_cast<ArcShape*>(shape);
  arc->rx = arc->ry = DistanceFrom(arc->cx, arc->cy, x, y);
  arc->endAngle = AngleFrom(arc->cx, arc->cy, x, y);
}

int ArcTool::Handles(const Shape* shape, Point out[4]) const {
  const auto* arc = static_cast<const ArcShape*>(shape);
  const float angles[2] = {arc->startAngle, arc->endAngle};
  for (int i = 0; i < 2; ++i) {
    const double a = angles[i] * kRadiansPerDegree;
    out[i] = {float(arc->cx + arc->rx * std::cos(a)), float(arc->cy + arc->ry * std::sin(a))};
  }
  return 2;
}

void ArcTool::MoveHandle(Shape* shape, int handle, float x, float y) {
  auto* arc = static_cast<ArcShape*>(shape);
  arc->rx = arc->ry = DistanceFrom(arc->cx, arc->cy, x, y);
  (handle == 1 ? arc->startAngle : arc->endAngle) = AngleFrom(arc->cx, arc->cy, x, y);
}

#include <algorithm>
#include <cmath>
#include <new>

#include "model/SimpleShapes.h"
#include "platform/msgbox/Messages.h"
#include "tools/ShapeTool.h"

namespace {

// The ellipse passes through the point on its diagonal: radius = offset times the square root
// of 2 on each axis.
constexpr double kDiagonal = 1.4142135623730951;
// The handles sit on the diagonals, and their drags use this rounded factor.
constexpr float kHandleDiagonal = 1.4142135f;
// A drawn ellipse never shrinks below this radius once the mouse has moved.
constexpr float kMinRadius = 1;

}  // namespace

const char* EllipseTool::FirstMessage() const { return "Ellipse: Click centre and drag"; }
const char* EllipseTool::SecondMessage() const { return "Ellipse: Drag to adjust radii"; }

std::unique_ptr<Shape> EllipseTool::NewShape(float x, float y) const {
  auto* oval = new (std::nothrow) OvalShape;
  if (oval) oval->cx = x, oval->cy = y;
  return std::unique_ptr<Shape>(oval);
}

void EllipseTool::Update(Shape* shape, float x, float y, int shift) {
  auto* oval = static_cast<OvalShape*>(shape);
  const double dx = double(x) - oval->cx, dy = double(y) - oval->cy;
  if (shift) {
    oval->rx = oval->ry = float(std::sqrt(dx * dx + dy * dy));
  } else {
    oval->rx = float(std::fabs(dx) * kDiagonal);
    oval->ry = float(std::fabs(dy) * kDiagonal);
  }
  oval->rx = std::max(oval->rx, kMinRadius);
  oval->ry = std::max(oval->ry, kMinRadius);
  if (shift)
    SetStatusText(Format("Circle: %.01f", double(oval->rx)));
  else
    SetStatusText(Format("Ellipse: %.0fx%.0f", double(oval->rx), double(oval->ry)));
}

int EllipseTool::Handles(const Shape* shape, Point out[4]) const {
  const auto* oval = static_cast<const OvalShape*>(shape);
  const float a = oval->rx / kHandleDiagonal, b = oval->ry / kHandleDiagonal;
  out[0] = {oval->cx - a, oval->cy - b};
  out[1] = {oval->cx + a, oval->cy - b};
  out[2] = {oval->cx + a, oval->cy + b};
  out[3] = {oval->cx - a, oval->cy + b};
  return 4;
}

void EllipseTool::MoveHandle(Shape* shape, int handle, float x, float y) {
  auto* oval = static_cast<OvalShape*>(shape);
  const bool left = handle == 0 || handle == 3, low = handle == 0 || handle == 1;
  oval->rx = (left ? oval->cx - x : x - oval->cx) * kHandleDiagonal;
  oval->ry = (low ? oval->cy - y : y - oval->cy) * kHandleDiagonal;
}

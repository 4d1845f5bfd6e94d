// How each transform tool turns the origin, the press and the pointer into its parameters.
#include <algorithm>
#include <cmath>

#include "model/UndoActions.h"
#include "platform/msgbox/Messages.h"
#include "tools/ToolSupport.h"
#include "tools/TransformTool.h"

namespace {

// A distance of exactly 0 would divide by zero; it counts as one point.
double NonZero(double d) { return d == 0 ? 1.0 : d; }

}  // namespace

void ScaleTool::Compute(int shift) {
  sx = float(NonZero(double(qx_) - ox_) / NonZero(double(px_) - ox_));
  sy = float(NonZero(double(qy_) - oy_) / NonZero(double(py_) - oy_));
  if (shift) {
    // Same size on both axes; each keeps its direction, so crossing the origin still mirrors.
    const float m = std::max(std::fabs(sx), std::fabs(sy));
    sx = std::copysign(m, sx);
    sy = std::copysign(m, sy);
  }
  SetStatusText(Format("Scale: %.1f%%, %.1f%%", double(sx) * 100, double(sy) * 100));
}

void ScaleTool::ApplyTo(Shape* shape) const { shape->Scale(ox_, oy_, sx, sy); }

EditAction* ScaleTool::MakeAction(Drawing* drawing) const {
  return TransformAction::Scale(drawing, ox_, oy_, sx, sy);
}

void RotateTool::Compute(int shift) {
  float r = AngleFrom(ox_, oy_, qx_, qy_) - AngleFrom(ox_, oy_, px_, py_);
  if (r < 0) r += 360;
  if (shift) r = 15 * std::floor(r / 15);
  degrees = r;
  SetStatusText(Format("Rotate: %.1f degrees", double(r)));
}

void RotateTool::ApplyTo(Shape* shape) const { shape->Rotate(ox_, oy_, degrees); }

EditAction* RotateTool::MakeAction(Drawing* drawing) const {
  return TransformAction::Rotate(drawing, ox_, oy_, degrees);
}

void SkewTool::Compute(int shift) {
  const double dy = double(qy_) - py_, dx = double(qx_) - px_;
  b = float(dy / NonZero(double(px_) - ox_));
  c = float(dx / NonZero(double(py_) - oy_));
  // Shift shears along the axis of the larger movement only.
  if (shift) {
    if (std::fabs(dy) <= std::fabs(dx))
      b = 0;
    else
      c = 0;
  }
}

void SkewTool::ApplyTo(Shape* shape) const { shape->Skew(ox_, oy_, b, c); }

EditAction* SkewTool::MakeAction(Drawing* drawing) const {
  return TransformAction::Skew(drawing, ox_, oy_, b, c);
}

void ReflectTool::Compute(int) { degrees = AngleFrom(ox_, oy_, qx_, qy_); }

void ReflectTool::ApplyTo(Shape* shape) const { shape->Reflect(ox_, oy_, degrees); }

EditAction* ReflectTool::MakeAction(Drawing* drawing) const {
  return TransformAction::Reflect(drawing, ox_, oy_, degrees);
}

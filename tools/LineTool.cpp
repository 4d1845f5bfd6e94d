#include <cmath>
#include <new>

#include "model/SimpleShapes.h"
#include "tools/ShapeTool.h"

const char* LineTool::FirstMessage() const {
  return "Line: Click first point and drag to second point";
}
const char* LineTool::SecondMessage() const { return "Line: Drag to second point"; }

std::unique_ptr<Shape> LineTool::NewShape(float x, float y) const {
  auto* line = new (std::nothrow) LineShape;
  if (line) line->x1 = line->x2 = x, line->y1 = line->y2 = y;
  return std::unique_ptr<Shape>(line);
}

void LineTool::Update(Shape* shape, float x, float y, int shift) {
  auto* line = static_cast<LineShape*>(shape);
  line->x2 = x;
  line->y2 = y;
  // Shift keeps the line horizontal or vertical, whichever is nearer.
  if (shift) {
    if (std::fabs(x - line->x1) <= std::fabs(y - line->y1))
      line->x2 = line->x1;
    else
      line->y2 = line->y1;
  }
}

int LineTool::Handles(const Shape* shape, Point out[4]) const {
  const auto* line = static_cast<const LineShape*>(shape);
  out[0] = {line->x1, line->y1};
  out[1] = {line->x2, line->y2};
  return 2;
}

void LineTool::MoveHandle(Shape* shape, int handle, float x, float y) {
  auto* line = static_cast<LineShape*>(shape);
  if (handle == 1) {
    line->x1 = x;
    line->y1 = y;
  } else if (handle == 2) {
    line->x2 = x;
    line->y2 = y;
  }
}

// A click without a drag makes no line.
bool LineTool::Worth(const Shape* shape) const {
  const auto* line = static_cast<const LineShape*>(shape);
  return line && !(line->x1 == line->x2 && line->y1 == line->y2);
}

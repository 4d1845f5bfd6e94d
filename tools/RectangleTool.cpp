#include <cmath>
#include <new>

#include "model/SimpleShapes.h"
#include "platform/msgbox/Messages.h"
#include "tools/ShapeTool.h"

const char* RectangleTool::FirstMessage() const {
  return "Rectangle: Click a corner and drag to opposite corner";
}
const char* RectangleTool::SecondMessage() const { return "Rectangle: Drag to opposite corner"; }
const char* RectangleTool::ReleaseMessage() const {
  return "Rectangle: Click a corner, drag to opposite corner";
}

std::unique_ptr<Shape> RectangleTool::NewShape(float x, float y) const {
  auto* box = new (std::nothrow) BoxShape;
  if (box) box->x1 = box->x2 = x, box->y1 = box->y2 = y;
  return std::unique_ptr<Shape>(box);
}

void RectangleTool::Update(Shape* shape, float x, float y, int shift) {
  auto* box = static_cast<BoxShape*>(shape);
  const float dx = std::fabs(x - box->x1), dy = std::fabs(y - box->y1);
  if (!shift) {
    box->x2 = x;
    box->y2 = y;
    SetStatusText(Format("Rectangle: %.0fx%.0f", double(std::fabs(box->x2 - box->x1)),
                         double(std::fabs(box->y2 - box->y1))));
    return;
  }
  // A square on the side of the larger movement, towards the pointer.
  if (dx <= dy) {
    box->y2 = y;
    box->x2 = x <= box->x1 ? box->x1 - dy : box->x1 + dy;
  } else {
    box->x2 = x;
    box->y2 = y <= box->y1 ? box->y1 - dx : box->y1 + dx;
  }
  SetStatusText(Format("Square: %.0f", double(std::fabs(box->x2 - box->x1))));
}

int RectangleTool::Handles(const Shape* shape, Point out[4]) const {
  const auto* box = static_cast<const BoxShape*>(shape);
  out[0] = {box->x1, box->y1};
  out[1] = {box->x2, box->y1};
  out[2] = {box->x2, box->y2};
  out[3] = {box->x1, box->y2};
  return 4;
}

void RectangleTool::MoveHandle(Shape* shape, int handle, float x, float y) {
  auto* box = static_cast<BoxShape*>(shape);
  (handle == 0 || handle == 3 ? box->x1 : box->x2) = x;
  (handle == 0 || handle == 1 ? box->y1 : box->y2) = y;
}

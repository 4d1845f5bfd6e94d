#include "model/ShapeQuery.h"

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/TextShape.h"

bool ShapeTouchesQuery(Shape* shape, const Rect& q, int32_t flags) {
  const int32_t kind = shape->Kind();
  if (kind == kGroupShape) {
    const ShapeList* children = static_cast<ContainerShape*>(shape)->children();
    return children && WalkShapesTouchedBy(*children, q, flags, nullptr);
  }
  if ((flags & kQueryTextsAndGroupsOnly) != 0 && kind != kTextShape) return false;
  // Most shapes of a large drawing are far away: reject them by their bounds before any
  // path is built.
  Rect b;
  shape->GetBounds(&b, 0);
  if (!RectMeets(b, q)) return false;
  // Texts answer through their line test, with the frame option as the query asks.
  if (kind == kTextShape) {
    const int32_t frame = (flags & kQueryTextFrame) != 0 ? 1 : 0;
    return static_cast<TextShape*>(shape)->LineTest(q.x1, q.y1, q.x2, q.y2, frame) != 0;
  }
  return shape->TouchesRect(q.x1, q.y1, q.x2, q.y2) != 0;
}

bool WalkShapesTouchedBy(const ShapeList& list, const Rect& q, int32_t flags, ShapeList* out) {
  const bool stopAtFirst = (flags & kQueryStopAtFirst) != 0 || out == nullptr;
  bool found = false;
  const int32_t n = list.Count();
  Shape* const* items = list.Data();
  for (int32_t i = 0; i < n; ++i) {
    if (!ShapeTouchesQuery(items[i], q, flags)) continue;
    found = true;
    if (out && !out->Append(items[i])) return true;
    if (stopAtFirst) return true;
  }
  return found;
}

// The rectangle query's rule for one shape and the plain walk over a list that every faster
// answer must equal.
#pragma once

#include <cstdint>

#include "model/Geometry.h"
#include "model/Shape.h"

// Whether the query rectangle (normalised) touches the shape, with the options of QueryFlags
// (model/Drawing.h). A group answers through its children.
bool ShapeTouchesQuery(Shape* shape, const Rect& q, int32_t flags);

// Shapes of the list touched by `q` in list order, appended to `out` (null: only whether any
// is, stopping at the first). True when anything was found.
bool WalkShapesTouchedBy(const ShapeList& list, const Rect& q, int32_t flags, ShapeList* out);

// Rectangle meets rectangle, both normalised.
inline bool RectMeets(const Rect& b, const Rect& q) {
  return !(b.x1 > q.x2 || b.x2 < q.x1 || b.y1 > q.y2 || b.y2 < q.y1);
}

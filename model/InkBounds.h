// What a shape paints, in page space: exports size their pictures and bounding boxes by it, so
// that thick strokes and arrowheads are not cut off at the edge.
#pragma once

#include "model/Shape.h"

// The shape's bounds grown by half its stroke width on every side (when it strokes) and united
// with the outlines of a line's arrowheads; texts and images keep their bounds; containers unite
// their children. The empty rectangle for an empty container.
Rect InkBounds(Shape* shape);
Rect InkBoundsOfList(const ShapeList& list);

// Arrowhead outlines at the ends of lines: one table of the five shapes, from which the screen,
// every output driver, the export bounds and the procset's `arrowhead` text are all made, so a
// head looks the same wherever it is drawn.
#pragma once

#include <cstdint>
#include <functional>

#include "model/Geometry.h"

inline constexpr int32_t kArrowheadKinds = 5;
inline constexpr int32_t kArrowheadMaxPoints = 6;

// One arrowhead shape for scale 1, x along the line towards the tip, y across, the tip at the
// origin. The points are the outline in the order the procset traces it: a filled head starts
// at the tip (the line's end) and is closed; an outlined head is an open polyline through the
// tip, stroked with a pen `penWidth` times the scale.
struct ArrowheadShape {
  int32_t count;
  Point points[kArrowheadMaxPoints];
  int32_t filled;
  float penWidth;
};

// The shape of `kind` (0..4); null for an unknown kind (a damaged file).
const ArrowheadShape* ArrowheadShapeOf(int32_t kind);

// One arrowhead as a polygon in the line's own coordinates (the caller applies the line's
// matrix, as it does for the line itself), with the paint style it is drawn in.
struct ArrowheadOutline {
  Point points[kArrowheadMaxPoints];
  int32_t count = 0;
  int32_t closed = 1;
  PaintStyle style;
};

// Direction of the line from `from` to the tip, in degrees. Equal x gives exactly +90 or -90
// (-90 when the tip is not above `from`), so vertical arrows do not depend on atan2's rounding.
double ArrowheadAngle(float tipX, float tipY, float fromX, float fromY);

// The scale of an arrowhead: the line width for a solid line, 1 for a dashed line (dashed lines
// are drawn one unit wide), and never below 1.
float ArrowheadScale(const PaintStyle& line);

// The outline of arrowhead `kind` (0..4) with its tip at (tipX, tipY), pointing away from
// (fromX, fromY), for a line drawn in `line`: the table's points under translate(tip),
// rotate(angle), scale(w, w). Filled heads are closed and filled without outline in the line's
// stroke colour; the outlined one is open, with a pen of its pen width times the scale. False
// for an unknown kind.
bool MakeArrowheadOutline(const PaintStyle& line, int32_t kind, float tipX, float tipY, float fromX,
                          float fromY, ArrowheadOutline* out);

// Draws the outline with the caller's polygon operation; nothing for an unknown kind.
using ArrowheadPolygonFn = std::function<void(const PaintStyle* style, const Point* points,
                                              int32_t count, int32_t closed)>;
void drawArrowhead(const PaintStyle& line, int32_t kind, float tipX, float tipY, float fromX,
                   float fromY, const ArrowheadPolygonFn& drawPolygon);

// Both arrowheads of a line from (x1, y1) to (x2, y2): the start arrow has its tip at the first
// point, the end arrow at the second. Null or disabled arrowheads are skipped.
void DrawLineArrowheads(const PaintStyle& line, float x1, float y1, float x2, float y2,
                        const Arrowhead* start, const Arrowhead* end,
                        const ArrowheadPolygonFn& drawPolygon);

// Adds to `r` (page space) everything an arrowhead paints: its outline through `m`, grown by
// half its pen for the outlined kind (with room for the pointed join at the tip).
void AddArrowheadInk(Rect* r, const Matrix& m, const PaintStyle& line, int32_t kind, float tipX,
                     float tipY, float fromX, float fromY);

// Preview drawing of many shapes on two threads: the shapes are walked once into a kept list of
// device calls, which then paints the upper and the lower half of the window image at the same
// time. Aliased drawing gives each pixel the same value whatever the clip, so the image is the
// one a straight walk would paint.
#pragma once

#include <cstdint>

#include "model/Geometry.h"
#include "model/Shape.h"

class GdiPainter;
namespace gdi {
class QImageDevice;
}

// Below this many shapes the straight walk is quicker than keeping and starting a thread.
inline constexpr int32_t kBandedShapes = 256;

// DrawShapeList(shapes, 1, area) onto `window`, the painter's window device (DrawTargetMode 2).
void DrawShapesInBands(GdiPainter& painter, gdi::QImageDevice& window, const ShapeList& shapes,
                       const Rect* area);

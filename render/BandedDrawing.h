// Preview drawing of many shapes on two threads: the shapes are walked once into a kept list of
// device calls, which then paints the upper and the lower half of the window image at the same
// time. Aliased drawing gives each pixel the same value whatever the band, so the image is the
// one a straight walk would paint.
#pragma once

#include <QImage>
#include <cstdint>
#include <memory>

#include "model/Geometry.h"
#include "model/Shape.h"

class GdiPainter;
namespace gdi {
class DeferredDevice;
class QImageDevice;
}  // namespace gdi

// Below this many shapes the straight walk is quicker than keeping and starting a thread.
inline constexpr int32_t kBandedShapes = 256;

// Keeps its memory (the call list, the bands' scratch images) from one redraw to the next.
class BandedDrawing {
 public:
  BandedDrawing();
  ~BandedDrawing();
  BandedDrawing(const BandedDrawing&) = delete;
  BandedDrawing& operator=(const BandedDrawing&) = delete;

  // DrawShapeList(shapes, 1, area) onto `window`, the painter's window device (DrawTargetMode
  // 2).
  void Draw(GdiPainter& painter, gdi::QImageDevice& window, const ShapeList& shapes,
            const Rect* area);

 private:
  std::unique_ptr<gdi::DeferredDevice> kept_;
  QImage scratch_[2];
};

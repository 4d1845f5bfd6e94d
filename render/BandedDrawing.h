// Drawing of many shapes on two threads: the shapes are walked once into a kept list of device
// calls, which then paints the upper and the lower half of the target image at the same time.
// Aliased drawing gives each pixel the same value whatever the band, so the image is the one a
// straight walk would paint.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
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

  // A pass over rows top .. bottom - 1 of the image once the shapes are painted there.
  using Finish = std::function<void(QImage& image, int32_t top, int32_t bottom)>;

  // DrawShapeList(shapes, mode, area) onto `target`, the painter's device of the current draw
  // target (the buffer in DrawTargetMode 0, else the window), then `finish` if given.
  void Draw(GdiPainter& painter, gdi::QImageDevice& target, const ShapeList& shapes, int32_t mode,
            const Rect* area, const Finish& finish = {});

 private:
  std::unique_ptr<gdi::DeferredDevice> kept_;
  QImage scratch_[2];
};

// Drawing of many shapes on two threads: the shapes are walked once into a kept list of device
// calls, which paints a lower band of the target image piece by piece during the walk and an
// upper band after it. The bands' rows follow where the last redraw's painting and walk lay, so
// that both threads finish together.
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
// The walk hands its calls to the lower band in pieces of about this many calls.
inline constexpr size_t kPieceCalls = 4096;

// Keeps its memory (the call list, the bands' scratch images) from one redraw to the next.
class BandedDrawing {
 public:
  BandedDrawing();
  ~BandedDrawing();
  BandedDrawing(const BandedDrawing&) = delete;
  BandedDrawing& operator=(const BandedDrawing&) = delete;

  // A pass over rows top .. bottom - 1 of `band`, a device that draws only there. Passes run on
  // the bands' threads: they may read but not change shared state, and draw with stock objects
  // only (the kept calls' handles are numbered from a fresh device).
  using RowPass = std::function<void(gdi::QImageDevice& band, int32_t top, int32_t bottom)>;
  struct Passes {
    RowPass before;  // ahead of the shapes
    RowPass after;   // once the shapes are painted
  };

  // DrawShapeList(shapes, mode, area) onto `target`, the painter's device of the current draw
  // target (the buffer in DrawTargetMode 0, else the window), with the passes given.
  void Draw(GdiPainter& painter, gdi::QImageDevice& target, const ShapeList& shapes, int32_t mode,
            const Rect* area, const Passes& passes = {});

 private:
  // The first row of the lower band for an image `height` rows high: where the last redraw's
  // painting, taken as even within each band, splits in halves.
  int32_t SplitRow(int32_t height) const;

  std::unique_ptr<gdi::DeferredDevice> kept_;
  QImage scratch_[2];
  // The last redraw's bands: the split, the image height, each band's painting time and the
  // walk's.
  int32_t lastSplit_ = 0, lastHeight_ = 0;
  double lastUpper_ = 0, lastLower_ = 0, lastWalk_ = 0;
};

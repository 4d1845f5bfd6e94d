#include "render/BandedDrawing.h"

#include <algorithm>
#include <ctime>
#include <system_error>
#include <thread>

#include "model/Drawing.h"
#include "platform/gdi/qt/DeferredDevice.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/GdiPainter.h"

BandedDrawing::BandedDrawing() : kept_(std::make_unique<gdi::DeferredDevice>(0, 0)) {}

BandedDrawing::~BandedDrawing() = default;

namespace {

// The painter's device of the current draw target, swapped for `device`; returns the old one.
gdi::Device* ExchangeTarget(GdiPainter& painter, gdi::Device* device) {
  if (DrawTargetMode() == kDrawToBuffer) {
    gdi::Device* old = painter.BufferDevice();
    painter.SetBufferDevice(device);
    return old;
  }
  return painter.ExchangeWindowDevice(device);
}

// CPU time of the calling thread: a band's painting without its waits for the walk's pieces.
double ThreadMillis() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

}  // namespace

int32_t BandedDrawing::SplitRow(int32_t height) const {
  const int32_t half = height / 2;
  if (lastHeight_ != height || lastSplit_ <= 0 || lastSplit_ >= height ||
      !(lastUpper_ > 0 && lastLower_ > 0))
    return half;
  const double split = lastSplit_, upperRate = lastUpper_ / split;
  const double lowerRate = lastLower_ / (height - split);
  // The drawing thread walks the shapes before it paints the upper band, while the lower band
  // is painted alongside the walk: both finish together when the upper band takes the walk
  // less than half the painting.
  const double share = std::max(0.0, (lastUpper_ + lastLower_ - lastWalk_) / 2);
  const double row =
      share <= lastUpper_ ? share / upperRate : split + (share - lastUpper_) / lowerRate;
  // Halfway from the last split, so that one slow redraw does not throw the bands about.
  const double damped = (split + row) / 2;
  return std::clamp(int32_t(damped), height / 8, height - height / 8);
}

void BandedDrawing::Draw(GdiPainter& painter, gdi::QImageDevice& target, const ShapeList& shapes,
                         int32_t mode, const Rect* area, const Passes& passes) {
  const int32_t h = target.height();
  if (shapes.Count() < kBandedShapes || h < 2 || PrintingFlag()) {
    if (!target.IsValid()) return;
    if (passes.before) passes.before(target, 0, h);
    DrawShapeList(shapes, mode, area);
    if (passes.after) passes.after(target, 0, h);
    return;
  }
  gdi::DeferredDevice& kept = *kept_;
  kept.Reset(target.width(), h);
  const int32_t split = SplitRow(h);
  auto upper = gdi::QImageDevice::Band(target, 0, split, &scratch_[0]);
  auto lower = gdi::QImageDevice::Band(target, split, h, &scratch_[1]);

  // The lower band plays the kept calls piece by piece while the shapes are still walked.
  double lowerMillis = 0;
  auto paintLower = [&] {
    const double begin = ThreadMillis();
    if (lower) {
      if (passes.before) passes.before(*lower, split, h);
      if (kept.Stream(*lower) && passes.after) passes.after(*lower, split, h);
    }
    lowerMillis = ThreadMillis() - begin;
  };
  std::thread helper;
  try {
    helper = std::thread(paintLower);
  } catch (const std::system_error&) {
    // No thread to be had: the lower band is painted after the walk.
  }
  const double walkStart = ThreadMillis();
  {
    gdi::Device* previous = ExchangeTarget(painter, &kept);
    for (Shape* shape : shapes) {
      if (!ShapeDrawnIn(*shape, area)) continue;
      shape->Draw(mode);
      if (kept.Unsealed() >= kPieceCalls) kept.Seal();
    }
    ExchangeTarget(painter, previous);
  }
  kept.Finish();
  const double walkMillis = ThreadMillis() - walkStart;
  if (!helper.joinable()) paintLower();

  auto paint = [&kept, &passes](gdi::QImageDevice* band, int32_t top, int32_t bottom) {
    if (!band) return;
    if (passes.before) passes.before(*band, top, bottom);
    kept.Replay(*band);
    if (passes.after) passes.after(*band, top, bottom);
  };
  double upperMillis = 0;
  if (kept.Bandable()) {
    const double begin = ThreadMillis();
    paint(upper.get(), 0, split);
    upperMillis = ThreadMillis() - begin;
  }
  if (helper.joinable()) helper.join();
  if (!kept.Bandable()) {
    // A block transfer reads pixels across the bands: everything again on one device, over
    // whatever the lower band had painted before it stopped.
    paint(gdi::QImageDevice::Band(target, 0, h).get(), 0, h);
    return;
  }
  lastSplit_ = split;
  lastHeight_ = h;
  lastUpper_ = upperMillis;
  lastLower_ = lowerMillis;
  lastWalk_ = walkMillis;
}

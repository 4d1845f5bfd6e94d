#include "render/BandedDrawing.h"

#include <algorithm>
#include <chrono>
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

}  // namespace

int32_t BandedDrawing::SplitRow(int32_t height) const {
  const int32_t half = height / 2;
  if (lastHeight_ != height || lastSplit_ <= 0 || lastSplit_ >= height ||
      !(lastUpper_ > 0 && lastLower_ > 0))
    return half;
  const double split = lastSplit_, upperRate = lastUpper_ / split;
  const double lowerRate = lastLower_ / (height - split);
  const double share = (lastUpper_ + lastLower_) / 2;
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
  using Clock = std::chrono::steady_clock;
  auto millis = [](Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
  };
  gdi::DeferredDevice& kept = *kept_;
  kept.Reset(target.width(), h);
  gdi::Device* previous = ExchangeTarget(painter, &kept);
  DrawShapeList(shapes, mode, area);
  ExchangeTarget(painter, previous);

  auto paint = [&kept, &passes](gdi::QImageDevice* band, int32_t top, int32_t bottom) {
    if (!band) return;
    if (passes.before) passes.before(*band, top, bottom);
    kept.Replay(*band);
    if (passes.after) passes.after(*band, top, bottom);
  };
  if (!kept.Bandable()) {
    paint(gdi::QImageDevice::Band(target, 0, h).get(), 0, h);
    return;
  }
  const int32_t split = SplitRow(h);
  auto upper = gdi::QImageDevice::Band(target, 0, split, &scratch_[0]);
  auto lower = gdi::QImageDevice::Band(target, split, h, &scratch_[1]);
  double lowerMillis = 0;
  auto paintLower = [&] {
    const auto begin = Clock::now();
    paint(lower.get(), split, h);
    lowerMillis = millis(begin);
  };
  std::thread helper;
  try {
    helper = std::thread(paintLower);
  } catch (const std::system_error&) {
    paintLower();  // no thread to be had: one after the other
  }
  const auto upperStart = Clock::now();
  paint(upper.get(), 0, split);
  const double upperMillis = millis(upperStart);
  if (helper.joinable()) helper.join();
  lastSplit_ = split;
  lastHeight_ = h;
  lastUpper_ = upperMillis;
  lastLower_ = lowerMillis;
}

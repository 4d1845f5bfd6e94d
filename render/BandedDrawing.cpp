#include "render/BandedDrawing.h"

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

void BandedDrawing::Draw(GdiPainter& painter, gdi::QImageDevice& target, const ShapeList& shapes,
                         int32_t mode, const Rect* area, const Finish& finish) {
  const int32_t h = target.height();
  if (shapes.Count() < kBandedShapes || h < 2 || PrintingFlag()) {
    DrawShapeList(shapes, mode, area);
    if (finish && target.IsValid()) finish(target.image(), 0, h);
    return;
  }
  gdi::DeferredDevice& kept = *kept_;
  kept.Reset(target.width(), h);
  gdi::Device* previous = ExchangeTarget(painter, &kept);
  DrawShapeList(shapes, mode, area);
  ExchangeTarget(painter, previous);

  auto paint = [&kept, &finish](gdi::QImageDevice* band, int32_t top, int32_t bottom) {
    if (!band) return;
    kept.Replay(*band);
    if (finish) finish(band->image(), top, bottom);
  };
  if (!kept.Bandable()) {
    paint(gdi::QImageDevice::Band(target, 0, h).get(), 0, h);
    return;
  }
  auto upper = gdi::QImageDevice::Band(target, 0, h / 2, &scratch_[0]);
  auto lower = gdi::QImageDevice::Band(target, h / 2, h, &scratch_[1]);
  std::thread helper;
  try {
    helper = std::thread([&] { paint(lower.get(), h / 2, h); });
  } catch (const std::system_error&) {
    paint(lower.get(), h / 2, h);  // no thread to be had: one after the other
  }
  paint(upper.get(), 0, h / 2);
  if (helper.joinable()) helper.join();
}

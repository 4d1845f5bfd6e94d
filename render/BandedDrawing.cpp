#include "render/BandedDrawing.h"

#include <system_error>
#include <thread>

#include "model/Drawing.h"
#include "platform/gdi/qt/DeferredDevice.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/GdiPainter.h"

BandedDrawing::BandedDrawing() : kept_(std::make_unique<gdi::DeferredDevice>(0, 0)) {}

BandedDrawing::~BandedDrawing() = default;

void BandedDrawing::Draw(GdiPainter& painter, gdi::QImageDevice& window, const ShapeList& shapes,
                         const Rect* area) {
  if (shapes.Count() < kBandedShapes || window.height() < 2) {
    DrawShapeList(shapes, 1, area);
    return;
  }
  gdi::DeferredDevice& kept = *kept_;
  kept.Reset(window.width(), window.height());
  gdi::Device* previous = painter.ExchangeWindowDevice(&kept);
  DrawShapeList(shapes, 1, area);
  painter.ExchangeWindowDevice(previous);

  const int32_t h = window.height();
  if (!kept.Bandable()) {
    if (auto whole = gdi::QImageDevice::Band(window, 0, h)) kept.Replay(*whole);
    return;
  }
  auto upper = gdi::QImageDevice::Band(window, 0, h / 2, &scratch_[0]);
  auto lower = gdi::QImageDevice::Band(window, h / 2, h, &scratch_[1]);
  if (!upper || !lower) return;
  std::thread helper;
  try {
    helper = std::thread([&kept, &lower] { kept.Replay(*lower); });
  } catch (const std::system_error&) {
    kept.Replay(*lower);  // no thread to be had: one after the other
  }
  kept.Replay(*upper);
  if (helper.joinable()) helper.join();
}

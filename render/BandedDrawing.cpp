#include "render/BandedDrawing.h"

#include <memory>
#include <system_error>
#include <thread>

#include "model/Drawing.h"
#include "platform/gdi/qt/DeferredDevice.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/GdiPainter.h"

void DrawShapesInBands(GdiPainter& painter, gdi::QImageDevice& window, const ShapeList& shapes,
                       const Rect* area) {
  if (shapes.Count() < kBandedShapes || window.height() < 2) {
    DrawShapeList(shapes, 1, area);
    return;
  }
  gdi::DeferredDevice kept(window.width(), window.height());
  gdi::Device* previous = painter.ExchangeWindowDevice(&kept);
  DrawShapeList(shapes, 1, area);
  painter.ExchangeWindowDevice(previous);

  const int32_t h = window.height();
  if (!kept.Bandable()) {
    if (auto whole = gdi::QImageDevice::Band(window, 0, h)) kept.Replay(*whole);
    return;
  }
  auto upper = gdi::QImageDevice::Band(window, 0, h / 2);
  auto lower = gdi::QImageDevice::Band(window, h / 2, h);
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

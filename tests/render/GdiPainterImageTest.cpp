// Images on a bitmap: the upright placement (columns worked out once) and any other placement
// (each pixel mapped back) sample the same nearest image pixels.
#include <gtest/gtest.h>

#include "fonts/StringSink.h"
#include "model/ImageData.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/BitmapRenderer.h"
#include "support/RenderTestSupport.h"

TEST(GdiPainterImage, UprightAndTurnedPlacementsSampleTheSamePixels) {
  // Top row red, green; bottom row blue, white.
  ImageData image;
  image.width = 2;
  image.height = 2;
  image.pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  const gdi::ColorRef red = gdi::Rgb(255, 0, 0), green = gdi::Rgb(0, 255, 0),
                      blue = gdi::Rgb(0, 0, 255), white = gdi::Rgb(255, 255, 255);
  StringSink sink;
  BitmapRenderer r(&sink, 1);
  PageInfo page = PageBox(100, 100);
  ASSERT_EQ(r.BeginDocument(&page, 0, nullptr), 1);
  // Page (x, y) is pixel (x, 100 - y). Upright on (10..50, 10..50); turned a quarter to the
  // left on (50..90, 10..50), so that the image's top row runs up its left-hand side.
  const Matrix upright{40, 0, 0, 40, 10, 10}, turned{0, 40, -40, 0, 90, 10};
  r.DrawImage(&upright, &image);
  r.DrawImage(&turned, &image);
  gdi::QImageDevice& dc = *r.Bitmap();
  // The upright image; the turned one, whose unit (u, v) lands on page (90 - 40 v, 10 + 40 u);
  // outside both, untouched; the edges: the upright image covers pixel columns 10..49 and rows
  // 50..89 exactly (its bottom-right pixel is white in the image too).
  const struct {
    int x, y;
    gdi::ColorRef ink;
  } probes[] = {{20, 40, red},   {40, 40, green}, {20, 20, blue},  {40, 20, white}, {60, 20, red},
                {60, 40, green}, {80, 20, blue},  {80, 40, white}, {95, 30, white}, {30, 60, white},
                {10, 50, red},   {9, 50, white},  {10, 51, white}, {49, 11, white}, {49, 12, white},
                {10, 11, blue},  {10, 10, white}};
  for (const auto& p : probes) EXPECT_EQ(dc.GetPixel(p.x, 100 - p.y), p.ink) << p.x << "," << p.y;
  r.EndDocument(nullptr);
}

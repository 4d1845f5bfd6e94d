// Images on a bitmap: the upright placement (columns worked out once) and any other placement
// (each pixel mapped back) sample the same nearest image pixels.
#include <gtest/gtest.h>

#include <initializer_list>

#include "model/ImageData.h"
#include "output/OutputSink.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/BitmapRenderer.h"

namespace {

class NullSink : public OutputSink {
 public:
  int32_t Open() override { return 1; }
  int32_t Close() override { return 1; }
  int32_t WriteBytes(const void*, int32_t) override { return 1; }
  int32_t WriteString(const char*) override { return 1; }
  int32_t Seek(long) override { return 0; }
  long Tell() override { return 0; }
};

}  // namespace

TEST(GdiPainterImage, UprightAndTurnedPlacementsSampleTheSamePixels) {
  // Top row red, green; bottom row blue, white.
  ImageData image;
  image.width = 2;
  image.height = 2;
  image.pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  const gdi::ColorRef red = gdi::Rgb(255, 0, 0), green = gdi::Rgb(0, 255, 0),
                      blue = gdi::Rgb(0, 0, 255), white = gdi::Rgb(255, 255, 255);
  NullSink sink;
  BitmapRenderer r(&sink, 1);
  PageInfo page;
  page.urx = 100;
  page.ury = 100;
  ASSERT_EQ(r.BeginDocument(&page, 0, nullptr), 1);
  // Page (x, y) is pixel (x, 100 - y). Upright on (10..50, 10..50); turned a quarter to the
  // left on (50..90, 10..50), so that the image's top row runs up its left-hand side.
  const Matrix upright{40, 0, 0, 40, 10, 10}, turned{0, 40, -40, 0, 90, 10};
  r.DrawImage(&upright, &image);
  r.DrawImage(&turned, &image);
  gdi::QImageDevice& dc = *r.Bitmap();
  struct Probe {
    int x, y;
    gdi::ColorRef ink;
  };
  for (Probe p : {Probe{20, 40, red},
                  {40, 40, green},
                  {20, 20, blue},
                  {40, 20, white},
                  // unit (u, v) lands on page (90 - 40 v, 10 + 40 u)
                  {60, 20, red},
                  {60, 40, green},
                  {80, 20, blue},
                  {80, 40, white},
                  // outside both: untouched
                  {95, 30, white},
                  {30, 60, white}})
    EXPECT_EQ(dc.GetPixel(p.x, 100 - p.y), p.ink) << p.x << "," << p.y;
  // Edges: the upright image covers pixel columns 10..49 and rows 50..89 exactly.
  EXPECT_EQ(dc.GetPixel(10, 50), red);
  EXPECT_EQ(dc.GetPixel(9, 50), white);
  EXPECT_EQ(dc.GetPixel(10, 49), white);
  EXPECT_EQ(dc.GetPixel(49, 89), white);  // the bottom-right pixel is white in the image too
  EXPECT_EQ(dc.GetPixel(49, 88), white);
  EXPECT_EQ(dc.GetPixel(10, 89), blue);
  EXPECT_EQ(dc.GetPixel(10, 90), white);
  r.EndDocument(nullptr);
}

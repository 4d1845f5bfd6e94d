// The graphics-device drivers on real bitmaps, and the BMP and TIFF bytes they write.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <utility>
#include <vector>

#include "fonts/StringSink.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "output/ExportFile.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/BitmapRenderer.h"
#include "render/BitmapWriters.h"
#include "render/RegisterRender.h"
#include "render/TerminalProgress.h"
#include "support/OutputTestSupport.h"
#include "support/RenderTestSupport.h"

namespace {

constexpr gdi::ColorRef kWhite = 0xFFFFFF;
constexpr gdi::ColorRef kBlack = 0;

uint32_t U16(const std::string& b, size_t at) {
  return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8;
}
uint32_t U32(const std::string& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

TEST(BitmapRenderer, MaximumSmoothingRendersFourTimesAndWritesThePageSize) {
  StringSink sink;
  BitmapRenderer r(&sink, 4);
  PageInfo letter = PageBox(612, 792);
  ASSERT_EQ(r.BeginDocument(&letter, 0, nullptr), 1);
  ASSERT_NE(r.Bitmap(), nullptr);
  EXPECT_EQ(V(r.Bitmap()->width(), r.Bitmap()->height()), V(2448, 3168));
  // Page point (x, y) at column 4x, row 3168 - 4y; lines four times as wide.
  const PaintStyle black{1, 0, 1, Color{}, Color{}, -1, -1};
  r.DrawBox(&black, nullptr, 100, 100, 101, 101);
  for (auto [x, ink] : {std::pair{401, kBlack}, {399, kWhite}, {404, kWhite}})
    EXPECT_EQ(r.Bitmap()->GetPixel(x, 3168 - 401), ink) << x;
  r.EndDocument(nullptr);
  EXPECT_EQ(r.Bitmap(), nullptr);

  const std::string& b = sink.text;
  ASSERT_GE(b.size(), 54u);
  EXPECT_EQ(b.substr(0, 2), "BM");
  // 612x792 at 24 bits, pixels at 54; 1836 bytes a row: already a multiple of 4.
  EXPECT_EQ((std::vector<uint32_t>{U32(b, 18), U32(b, 22), U16(b, 28), U32(b, 10), U32(b, 2)}),
            (std::vector<uint32_t>{612, 792, 24, 54, 54 + 612 * 3 * 792}));
  EXPECT_EQ(b.size(), U32(b, 2));
  // The 4x4 black block averages into the one pixel at (100, 691): bottom-up row 100.
  size_t at = 54 + size_t(100) * 1836 + 100 * 3;
  EXPECT_EQ(V(uint8_t(b[at]), uint8_t(b[at + 3])), V(0, 255));
}

// The device exports are reached through the core's entry point once the render library is
// registered, as every program does at start-up, and take the smoothing from the call's options.
TEST(DeviceExports, ExportFileWritesBitmapMetafileAndTiffWithTheCallsSmoothing) {
  RegisterRender();
  Drawing drawing;
  drawing.AddShape(new BoxShape(0.5f, 0.5f, 20.25f, 10.75f));
  for (auto [kind, magic] : {std::pair{kExportBmp, std::string("BM")},
                             {kExportWmf, std::string("\xD7\xCD\xC6\x9A", 4)},
                             {kExportTiff, std::string("II*\0", 4)}}) {
    StringSink sink;
    ASSERT_EQ(ExportFile(drawing, kind, &sink, ExportOptions()), 1) << kind;
    EXPECT_EQ(sink.text.substr(0, magic.size()), magic) << kind;
  }
  // Edges off the pixel grid: only smoothing averages them into greys.
  auto greys = [&](int32_t smoothing) {
    ExportOptions options;
    options.smoothing = smoothing;
    StringSink sink;
    EXPECT_EQ(ExportFile(drawing, kExportBmp, &sink, options), 1);
    int n = 0;
    for (size_t i = 54; i < sink.text.size(); ++i) {
      const uint8_t v = uint8_t(sink.text[i]);
      n += v != 0 && v != 255;
    }
    return n;
  };
  EXPECT_EQ(greys(1), 0);
  EXPECT_GT(greys(4), 0);
}

TEST(GdiRenderer, DegenerateBeziers) {
  // End points and controls within a thousandth of a unit: the flattened piece is its end point
  // alone, and a polyline of one repeated point leaves no pixel.
  gdi::QImageDevice dc(60, 60);
  GdiRenderer r(&dc);
  r.SetDeviceMatrix(MakeMatrix(1, 0, 0, 1, 0, 0));
  PaintStyle line;
  CurveNode n[2] = {MakeCurveNode(10, 10, 1), MakeCurveNode(10.01f, 10.01f, 1)};
  r.DrawCurve(&line, nullptr, n, 2, 0);
  EXPECT_EQ(dc.image().copy(), gdi::QImageDevice(60, 60).image());

  // End points that coincide with controls far away make a loop, which both curve drivers
  // draw rather than let vanish: flattened here, as a device path in the bitmap drivers.
  n[1] = n[0];
  n[0].outX = 50, n[0].outY = 10, n[1].inX = 50, n[1].inY = 50;
  r.DrawCurve(&line, nullptr, n, 2, 0);
  int flattened = 0;
  for (int y = 0; y < 60; ++y) flattened += dc.GetPixel(35, y) == kBlack;
  EXPECT_EQ(flattened, 2);  // the loop crosses x = 35 twice

  StringSink sink;
  BitmapRenderer b(&sink, 1);
  PageInfo page = PageBox(60, 60);
  ASSERT_EQ(b.BeginDocument(&page, 0, nullptr), 1);
  b.SetDeviceMatrix(MakeMatrix(1, 0, 0, 1, 0, 0));
  b.DrawCurve(&line, nullptr, n, 2, 0);
  int path = 0;
  for (int y = 0; y < 60; ++y) path += b.Bitmap()->GetPixel(35, y) == kBlack;
  EXPECT_EQ(path, 2);
  b.EndDocument(nullptr);
}

TEST(BitmapWriters, ReductionAveragesAndStopsAtCancel) {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(qRgb(255, 255, 255));
  for (int i = 0; i < 4; ++i) image.setPixel(i % 2, i / 2, qRgb(0, i == 3 ? 100 : 0, 0));
  QImage out = ReduceBitmap(image, 2, nullptr);
  ASSERT_EQ(out.size(), QSize(4, 4));
  EXPECT_EQ(out.pixel(0, 0), qRgb(0, 25, 0));  // green 100 / 4
  EXPECT_EQ(out.pixel(1, 0), qRgb(255, 255, 255));

  FakeProgress cancel(-1, 2);
  out = ReduceBitmap(image, 2, &cancel);
  EXPECT_EQ(cancel.texts, "Exporting bitmap...|");
  EXPECT_EQ(out.pixel(3, 1), qRgb(255, 255, 255));  // rows done are kept
  EXPECT_EQ(out.pixel(3, 2), qRgb(0, 0, 0));        // the rest stays as the bitmap was made

  // A cancel before the reduction writes nothing at all.
  StringSink sink;
  BitmapRenderer r(&sink, 2);
  PageInfo page = PageBox(10, 10);
  ASSERT_EQ(r.BeginDocument(&page, 0, nullptr), 1);
  FakeProgress already(-1, 0);
  r.EndDocument(&already);
  EXPECT_EQ(already.texts, "Allocating memory...|");
  EXPECT_TRUE(sink.text.empty());
}

TEST(TerminalProgress, RewritesOneLine) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    TerminalProgress progress(f);
    progress.Start(4);
    EXPECT_TRUE(progress.Advance() && progress.Advance());
    progress.SetText("Exporting bitmap...");
    progress.SetPosition(3, 3);
    EXPECT_FALSE(progress.Cancelled());
  }
  std::rewind(f);
  char buf[256] = {};
  size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  EXPECT_EQ(std::string(buf, n),
            "\rExporting...   0%\rExporting...  25%\rExporting...  50%\rExporting bitmap...  50%"
            "\rExporting bitmap... 100%\n");
}

}  // namespace

// Outside readers on our bitmaps: libtiff's tiffinfo on the TIFF, ImageMagick on the BMP.
#include <gtest/gtest.h>

#include <string>

#include "model/PathShapes.h"
#include "output/OutputSink.h"
#include "render/BitmapRenderer.h"
#include "support/OutputTestSupport.h"

namespace {

// A page with a filled pattern box, a curve and a red square at a known place.
bool Export(BitmapRenderer* r, FileSink* sink, int32_t llx, int32_t urx, int32_t ury) {
  if (!sink->Open()) return false;
  PageInfo page{llx, 0, urx, ury, "", 0, {}};
  if (r->BeginDocument(&page, 0, nullptr) != 1) return false;
  const PaintStyle pattern{1, 1, 1, Color{}, Color{0, 100, 0}, 5, -1};
  r->DrawBox(&pattern, nullptr, 20, 20, 200, 120);
  CurveNode nodes[2] = {MakeCurveNode(10, 10, 0), MakeCurveNode(300, 300, 0)};
  nodes[0].outX = 300;
  nodes[1].inX = 10;
  const PaintStyle curve{3, 1, 0, Color{}, Color{}, -1, -1};
  r->DrawCurve(&curve, nullptr, nodes, 2, 0);
  const PaintStyle red{1, 0, 1, Color{}, Color{100, 0, 0}, -1, -1};
  r->DrawBox(&red, nullptr, 100, 200, 110, 210);
  r->EndDocument(nullptr);
  return sink->Close() == 1;
}

TEST(BitmapExportInterop, TiffinfoReadsOurTiff) {
  if (!HaveTool("tiffinfo")) GTEST_SKIP() << "tiffinfo not installed";
  std::string dir = TestWorkDir("tiff_interop");
  for (int32_t width : {612, 3001}) {  // 4 rows a strip; and one row a strip
    std::string path = dir + "/page" + std::to_string(width) + ".tif";
    FileSink sink(path);
    TiffRenderer r(&sink);
    ASSERT_TRUE(Export(&r, &sink, 0, width, 400));
    std::string out = dir + "/tiffinfo.txt";
    ASSERT_EQ(RunCommand("tiffinfo -D '" + path + "' >'" + out + "' 2>&1"), 0);
    std::string text = ReadFileBytes(out);
    EXPECT_FALSE(Contains(text, "rror")) << text.substr(0, 2000);
    EXPECT_FALSE(Contains(text, "arning")) << text.substr(0, 2000);
    EXPECT_TRUE(Contains(text, "Image Width: " + std::to_string(width) + " Image Length: 400"))
        << text.substr(0, 2000);
  }
}

TEST(BitmapExportInterop, ImageMagickReadsOurBmp) {
  if (!HaveTool("identify") || !HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
  std::string dir = TestWorkDir("bmp_interop");
  for (int32_t factor : {1, 2, 4}) {
    std::string path = dir + "/page" + std::to_string(factor) + ".bmp";
    FileSink sink(path);
    BitmapRenderer r(&sink, factor);
    ASSERT_TRUE(Export(&r, &sink, 0, 301, 400));  // odd width: rows need padding
    std::string out = dir + "/identify.txt";
    ASSERT_EQ(RunCommand("identify '" + path + "' >'" + out + "' 2>&1"), 0);
    EXPECT_NE(ReadFileBytes(out).find("BMP3 301x400"), std::string::npos) << ReadFileBytes(out);
    // The red square's middle: page (105, 205) is column 105, row 400 - 205.
    ASSERT_EQ(RunCommand("convert '" + path + "' -format '%[pixel:p{105,194}]' info: >'" + out +
                         "' 2>&1"),
              0);
    std::string pixel = ReadFileBytes(out);
    EXPECT_TRUE(pixel == "srgb(255,0,0)" || pixel == "red") << pixel;
  }
}

}  // namespace

// Our metafile of the round-trip drawing, as ImageMagick draws it through libwmf, and our BMP of
// the same drawing agree.
//
// ImageMagick sizes the picture from the placeable header but places the drawing by libwmf's
// scan of what the records draw, text extents in its own fonts included: that extent is
// stretched over the whole picture, so the drawing comes out a few pixels shifted and stretched
// against the header's box. Our BMP is therefore first registered onto libwmf's picture: the box
// of inked pixels of ours is mapped onto the box of inked pixels of theirs.
//
// Tolerance: both are then reduced 4x by box averaging, so that edges a pixel apart mostly
// average out, and at most kMostDifferingShare of the reduced pixels may differ by more than
// 20% in any channel (3.3% did when this was written). What else differs is known: a metafile
// carries no images (the drawing's 5 x 3 image is missing from it), libwmf draws text in fonts of
// its own, and its patterned fills and dashes are its own rendering of the same brushes and pen
// styles.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/OutputSink.h"
#include "output/RoundTripDrawing.h"
#include "render/BitmapRenderer.h"
#include "render/RegisterRender.h"
#include "support/OutputTestSupport.h"
#include "support/RenderTestSupport.h"
#include "support/TestSupport.h"

namespace {

constexpr int kReduce = 4;
constexpr int kChannelTolerance = 51;         // 20% of 255
constexpr double kMostDifferingShare = 0.05;  // of the reduced pixels

bool Export(Drawing& drawing, int32_t kind, const std::string& path) {
  FileSink sink(path);
  if (!sink.Open()) return false;
  bool ok = ExportFile(drawing, kind, &sink, ExportOptions()) == 1;
  return sink.Close() == 1 && ok;
}

struct Box {
  int x1 = INT_MAX, y1 = INT_MAX, x2 = INT_MIN, y2 = INT_MIN;
};

// The box of pixels with any channel below near-white.
Box InkBox(const Pnm& image) {
  Box b;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const char* px = image.pixels.data() + (size_t(y) * size_t(image.width) + size_t(x)) * 3;
      if (std::min({uint8_t(px[0]), uint8_t(px[1]), uint8_t(px[2])}) >= 250) continue;
      b.x1 = std::min(b.x1, x), b.y1 = std::min(b.y1, y);
      b.x2 = std::max(b.x2, x), b.y2 = std::max(b.y2, y);
    }
  return b;
}

// Mean of each kReduce x kReduce block, per channel.
std::vector<int> Reduce(const Pnm& image) {
  int w = image.width / kReduce, h = image.height / kReduce;
  std::vector<int> out(size_t(w) * size_t(h) * 3, 0);
  for (int y = 0; y < h * kReduce; ++y)
    for (int x = 0; x < w * kReduce; ++x)
      for (int c = 0; c < 3; ++c)
        out[(size_t(y / kReduce) * size_t(w) + size_t(x / kReduce)) * 3 + size_t(c)] +=
            uint8_t(image.pixels[(size_t(y) * size_t(image.width) + size_t(x)) * 3 + size_t(c)]);
  for (int& v : out) v /= kReduce * kReduce;
  return out;
}

}  // namespace

TEST(MetafileBitmapAgreementInterop, LibwmfDrawsOurMetafileLikeOurBitmap) {
  if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick missing";
  EnsureGuiApplication();
  ChooseFontManager();
  struct DropFonts {
    ~DropFonts() { SetFontManager(nullptr); }
  } dropFonts;
  RegisterRender();
  Drawing drawing;
  drawing.path = "/tmp/metafile_agreement.qlx";
  roundtrip::BuildRoundTripDrawing(&drawing);
  std::string dir = TestWorkDir("wmf_bmp_agreement");
  ASSERT_TRUE(Export(drawing, kExportBmp, dir + "/d.bmp"));
  ASSERT_TRUE(Export(drawing, kExportWmf, dir + "/d.wmf"));
  ASSERT_EQ(RunCommand("convert " + dir + "/d.bmp -depth 8 " + dir + "/bmp.ppm"), 0);
  ASSERT_EQ(RunCommand("convert " + dir + "/d.wmf -depth 8 -background white -flatten " + dir +
                       "/wmf.ppm >" + dir + "/convert.log 2>&1"),
            0);
  Pnm ours = ReadPnm(dir + "/bmp.ppm");
  Pnm wmf = ReadPnm(dir + "/wmf.ppm");
  ASSERT_GT(ours.width, 0);
  ASSERT_EQ(wmf.channels, 3);
  ASSERT_EQ(ours.width, wmf.width);
  ASSERT_EQ(ours.height, wmf.height);

  const Box mine = InkBox(ours), theirs = InkBox(wmf);
  ASSERT_LT(mine.x1, mine.x2);
  ASSERT_LT(theirs.x1, theirs.x2);
  ASSERT_LT(mine.y1, mine.y2);
  ASSERT_LT(theirs.y1, theirs.y2);
  Pnm fitted = ours;
  for (int v = 0; v < wmf.height; ++v)
    for (int u = 0; u < wmf.width; ++u) {
      int x = int(mine.x1 + (u - theirs.x1 + 0.5) * (mine.x2 - mine.x1) / (theirs.x2 - theirs.x1));
      int y = int(mine.y1 + (v - theirs.y1 + 0.5) * (mine.y2 - mine.y1) / (theirs.y2 - theirs.y1));
      size_t to = (size_t(v) * size_t(wmf.width) + size_t(u)) * 3;
      bool inside = x >= 0 && y >= 0 && x < ours.width && y < ours.height;
      for (size_t c = 0; c < 3; ++c)
        fitted.pixels[to + c] =
            inside ? ours.pixels[(size_t(y) * size_t(ours.width) + size_t(x)) * 3 + c] : '\xff';
    }

  std::vector<int> a = Reduce(fitted), b = Reduce(wmf);
  size_t differing = 0, inked = 0;
  for (size_t i = 0; i < a.size(); i += 3) {
    bool differs = false;
    for (int c = 0; c < 3; ++c) differs |= std::abs(a[i + c] - b[i + c]) > kChannelTolerance;
    differing += differs;
    inked += b[i] < 250 || b[i + 1] < 250 || b[i + 2] < 250;
  }
  const size_t pixels = a.size() / 3;
  EXPECT_GT(inked, pixels / 50) << "libwmf's picture is nearly empty";
  EXPECT_LE(double(differing) / double(pixels), kMostDifferingShare)
      << differing << " of " << pixels << " reduced pixels differ";
  std::printf("metafile against bitmap: %zu of %zu reduced pixels differ (%.2f%%)\n", differing,
              pixels, 100.0 * double(differing) / double(pixels));
}

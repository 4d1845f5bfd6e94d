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
#include "support/PixelCompare.h"
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

  const pixels::Box mine = pixels::InkBox(ours), theirs = pixels::InkBox(wmf);
  ASSERT_LT(mine.x1, mine.x2);
  ASSERT_LT(theirs.x1, theirs.x2);
  ASSERT_LT(mine.y1, mine.y2);
  ASSERT_LT(theirs.y1, theirs.y2);
  const Pnm fitted = pixels::Register(ours, wmf);

  std::vector<int> a = pixels::Reduce(fitted, kReduce), b = pixels::Reduce(wmf, kReduce);
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

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

#include <cstdlib>
#include <string>

#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/RoundTripDrawing.h"
#include "render/RegisterRender.h"
#include "support/OutputTestSupport.h"
#include "support/PixelCompare.h"
#include "support/RenderTestSupport.h"

namespace {

constexpr int kReduce = 4, kChannelTolerance = 51;  // 20% of 255
constexpr double kMostDifferingShare = 0.05;        // of the reduced pixels

}  // namespace

TEST(MetafileBitmapAgreementInterop, LibwmfDrawsOurMetafileLikeOurBitmap) {
  if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick missing";
  EnsureGuiApplication();
  testfonts::ScopedSystemFonts systemFonts;
  RegisterRender();
  Drawing drawing;
  drawing.path = "/tmp/metafile_agreement.qlx";
  roundtrip::BuildRoundTripDrawing(&drawing);
  std::string dir = TestWorkDir("wmf_bmp_agreement");
  ASSERT_TRUE(ExportTo(drawing, kExportBmp, dir + "/d.bmp"));
  ASSERT_TRUE(ExportTo(drawing, kExportWmf, dir + "/d.wmf"));
  ASSERT_EQ(RunCommand("convert " + dir + "/d.wmf -depth 8 -background white -flatten " + dir +
                       "/wmf.ppm >" + dir + "/convert.log 2>&1"),
            0);
  Pnm ours = pixels::ReadBmp24(dir + "/d.bmp"), wmf = ReadPnm(dir + "/wmf.ppm");
  ASSERT_GT(ours.width, 0);
  ASSERT_EQ(V(wmf.channels, wmf.width, wmf.height), V(3, ours.width, ours.height));

  // Without ink of ours the registration would compare libwmf's picture with itself.
  ASSERT_GT(pixels::CountInked(ours), 0u);
  size_t inked = 0, pixels = 0;
  const size_t differing = pixels::CountReducedDiffering(pixels::Register(ours, wmf), wmf, kReduce,
                                                         kChannelTolerance, &inked, &pixels);
  EXPECT_GT(inked, pixels / 50) << "libwmf's picture is nearly empty";
  EXPECT_LE(double(differing) / double(pixels), kMostDifferingShare)
      << differing << " of " << pixels << " reduced pixels differ";
  std::printf("metafile against bitmap: %zu of %zu reduced pixels differ (%.2f%%)\n", differing,
              pixels, 100.0 * double(differing) / double(pixels));
}

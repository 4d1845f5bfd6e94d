// Our BMP of the round-trip drawing and Ghostscript's picture of our EPS of it agree, both at
// 72 dpi (one pixel per point, the same bounding box) with antialiasing off.
//
// Comparison: two pixels match when no channel differs by more than kChannelTolerance (6%).
// Ghostscript renders with -dUseFastColor, the plain 1 - (c + k) conversion of the procset's
// CMYK colours; through its default ICC profiles pure red would come out as (237, 28, 36). What
// is left then is rounding (percentages become bytes by truncation here, by rounding there).
//
// A pixel counts as differing only when it has no matching pixel in the 3x3 neighbourhood of
// the same place in the other picture (checked both ways): the two sides follow different pixel
// rules, so edges lie up to one pixel apart. GDI fills cover the pixels whose centres lie inside
// (half-open, right and bottom edges left out), lines end one pixel short and pens are whole
// pixels wide, while PostScript paints every pixel a shape touches; glyphs sit at whole-pixel
// advances here and at exact positions there. Beyond that, inside the 1% bound, remain the
// differences the two sides are defined with: the fill patterns are 8x8 pixel bitmaps repeating
// from the page corner here and the procset's pattern fonts (finer cells, their own phase)
// there; dashes are GDI's cosmetic dash lengths (18-6, 3-3, 9-6-3-6, 9-3-3-3-3-3) here and the
// procset's arrays (10-4, 3-3, 10-4-3-4, 10-4-3-4-3-4) there. Without the neighbourhood about
// 2.6% of the pixels differ, with it about 0.5%.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "output/RoundTripDrawing.h"
#include "render/RegisterRender.h"
#include "support/OutputTestSupport.h"
#include "support/PixelCompare.h"
#include "support/RenderTestSupport.h"

namespace {

constexpr int kChannelTolerance = 16;  // of 255
constexpr double kMostDifferingShare = 0.01;

}  // namespace

TEST(BitmapGhostscriptAgreementInterop, OurBmpMatchesGhostscriptOnOurEps) {
  if (!HaveTool("gs")) GTEST_SKIP() << "gs missing";
  EnsureGuiApplication();
  testfonts::ScopedSystemFonts systemFonts;
  RegisterRender();
  Drawing drawing;
  drawing.path = "/tmp/agreement.qlx";
  roundtrip::BuildRoundTripDrawing(&drawing);
  // The metric twins of the drawing's Arial and Times New Roman Bold, which the machine has:
  // both pictures then draw the same glyphs, ours from the font file, Ghostscript's from the
  // embedded copy.
  for (Shape* s : drawing.shapes())
    if (auto* t = s->Kind() == kTextShape ? static_cast<TextShape*>(s) : nullptr)
      t->SetTextStyle(t->font() == "ArialMT" ? "LiberationSans" : "LiberationSerif-Bold", t->size(),
                      t->leading(), t->alignment());
  FontManager* fonts = TheFontManager();
  if (!fonts || !fonts->FindFace("LiberationSans") || !fonts->FindFace("LiberationSerif-Bold"))
    GTEST_SKIP() << "needs fonts-liberation";
  std::string dir = TestWorkDir("bmp_gs_agreement");
  ASSERT_TRUE(ExportTo(drawing, kExportBmp, dir + "/d.bmp"));
  ASSERT_TRUE(ExportTo(drawing, kExportEps, dir + "/d.eps", ExportOptions{.includeFonts = 1}));
  ExpectGhostscriptClean(
      "-q -sDEVICE=ppmraw -r72 -dEPSCrop -dGraphicsAlphaBits=1 "
      "-dTextAlphaBits=1 -dUseFastColor -sOutputFile=" +
          dir + "/eps.ppm " + dir + "/d.eps",
      dir + "/gs.log");
  Pnm ours = pixels::ReadBmp24(dir + "/d.bmp");
  Pnm gs = ReadPnm(dir + "/eps.ppm");
  ASSERT_GT(ours.width, 0);
  ASSERT_EQ(V(gs.channels, gs.width, gs.height), V(3, ours.width, ours.height));

  const size_t pixels = size_t(ours.width) * size_t(ours.height);
  const size_t differing = pixels::CountDiffering(ours, gs, kChannelTolerance);
  EXPECT_GT(pixels::CountInked(ours), pixels / 50) << "our picture is nearly empty";
  EXPECT_LE(double(differing) / double(pixels), kMostDifferingShare)
      << differing << " of " << pixels << " pixels differ";
}

// Poppler's picture of our PDF and Ghostscript's picture of our EPS of the same drawing agree,
// on a portrait page and on a landscape one (which both show turned, as the screen does).
//
// Tolerance: both are rendered at 72 dpi without antialiasing and reduced 4x by box averaging,
// so that a one-pixel difference in where two rasterisers put an edge mostly averages out; at
// most 2% of the reduced pixels may differ by more than 20% in any channel. What remains is
// known: the PDF carries no fill patterns (its fills are plain colour) and each program draws
// unembedded fonts with a substitute of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/RoundTripDrawing.h"
#include "support/OutputTestSupport.h"
#include "support/PixelCompare.h"

namespace {

constexpr int kReduce = 4, kChannelTolerance = 51;  // 20% of 255
constexpr double kMostDifferingShare = 0.02;        // of the reduced pixels

}  // namespace

TEST(PdfEpsAgreementInterop, PopplerAndGhostscriptDrawTheSamePicture) {
  if (!HaveTool("pdftoppm") || !HaveTool("gs")) GTEST_SKIP() << "pdftoppm or gs missing";
  // The machine's own faces: both writers then give the viewers real widths and metrics.
  testfonts::ScopedSystemFonts systemFonts;
  for (int32_t landscape : {0, 1}) {
    SCOPED_TRACE(landscape ? "landscape" : "portrait");
    Drawing drawing;
    drawing.path = "/tmp/agreement.qlx";
    roundtrip::BuildRoundTripDrawing(&drawing);
    drawing.landscape = landscape;
    std::string dir = TestWorkDir("pdf_eps_agreement") + "/" + std::to_string(landscape);
    ASSERT_EQ(RunCommand("mkdir -p " + dir), 0);
    ASSERT_TRUE(ExportTo(drawing, kExportEps, dir + "/d.eps"));
    ASSERT_TRUE(ExportTo(drawing, kExportPdf, dir + "/d.pdf"));

    RenderEpsAndPdf(dir + "/d.eps", dir + "/d.pdf", dir + "/d", "-dTextAlphaBits=1");
    Pnm eps = ReadPnm(dir + "/d-eps.ppm"), pdf = ReadPnm(dir + "/d-pdf.ppm");
    ASSERT_GT(eps.width, 0);
    ASSERT_EQ(V(eps.width, eps.height), V(pdf.width, pdf.height));

    size_t inked = 0, pixels = 0;
    const size_t differing =
        pixels::CountReducedDiffering(pdf, eps, kReduce, kChannelTolerance, &inked, &pixels);
    EXPECT_GT(inked, pixels / 50) << "the EPS picture is nearly empty";
    EXPECT_LE(double(differing) / double(pixels), kMostDifferingShare)
        << differing << " of " << pixels << " reduced pixels differ";
  }
}

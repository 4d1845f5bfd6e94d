// Poppler's picture of our PDF and Ghostscript's picture of our EPS of the same drawing agree.
//
// Tolerance: both are rendered at 72 dpi without antialiasing and reduced 4x by box averaging,
// so that a one-pixel difference in where two rasterisers put an edge mostly averages out; at
// most 2% of the reduced pixels may differ by more than 20% in any channel. What remains is
// known: the PDF carries no fill patterns (its fills are plain colour) and each program draws
// unembedded fonts with a substitute of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/OutputSink.h"
#include "output/RoundTripDrawing.h"
#include "support/OutputTestSupport.h"
#include "support/TestSupport.h"

namespace {

constexpr int kReduce = 4;
constexpr int kChannelTolerance = 51;         // 20% of 255
constexpr double kMostDifferingShare = 0.02;  // of the reduced pixels

bool Export(Drawing& drawing, int32_t kind, const std::string& path) {
  FileSink sink(path);
  if (!sink.Open()) return false;
  bool ok = ExportFile(drawing, kind, &sink, ExportOptions()) == 1;
  return sink.Close() == 1 && ok;
}

// Mean of each kReduce x kReduce block, per channel.
std::vector<int> Reduce(const Pnm& image) {
  int w = image.width / kReduce, h = image.height / kReduce;
  std::vector<int> out(size_t(w) * size_t(h) * 3, 0);
  for (int y = 0; y < h * kReduce; ++y) {
    for (int x = 0; x < w * kReduce; ++x) {
      for (int c = 0; c < 3; ++c) {
        size_t at = (size_t(y) * size_t(image.width) + size_t(x)) * size_t(image.channels) +
                    size_t(image.channels == 3 ? c : 0);
        out[(size_t(y / kReduce) * size_t(w) + size_t(x / kReduce)) * 3 + size_t(c)] +=
            uint8_t(image.pixels[at]);
      }
    }
  }
  for (int& v : out) v /= kReduce * kReduce;
  return out;
}

}  // namespace

TEST(PdfEpsAgreementInterop, PopplerAndGhostscriptDrawTheSamePicture) {
  if (!HaveTool("pdftoppm") || !HaveTool("gs")) GTEST_SKIP() << "pdftoppm or gs missing";
  // The machine's own faces: both writers then give the viewers real widths and metrics.
  ChooseFontManager();
  Drawing drawing;
  drawing.path = "/tmp/agreement.qlx";
  roundtrip::BuildRoundTripDrawing(&drawing);
  std::string dir = TestWorkDir("pdf_eps_agreement");
  ASSERT_TRUE(Export(drawing, kExportEps, dir + "/d.eps"));
  ASSERT_TRUE(Export(drawing, kExportPdf, dir + "/d.pdf"));

  ExpectGhostscriptClean(
      "-q -sDEVICE=ppmraw -r72 -dEPSCrop -dGraphicsAlphaBits=1 "
      "-dTextAlphaBits=1 -sOutputFile=" +
          dir + "/eps.ppm " + dir + "/d.eps",
      dir + "/gs.log", false);
  ASSERT_EQ(RunCommand("pdftoppm -r 72 -aa no -aaVector no -singlefile " + dir + "/d.pdf " + dir +
                       "/pdf >" + dir + "/pdftoppm.log 2>&1"),
            0);
  Pnm eps = ReadPnm(dir + "/eps.ppm");
  Pnm pdf = ReadPnm(dir + "/pdf.ppm");
  ASSERT_GT(eps.width, 0);
  ASSERT_EQ(eps.width, pdf.width);
  ASSERT_EQ(eps.height, pdf.height);

  std::vector<int> a = Reduce(eps), b = Reduce(pdf);
  size_t differing = 0, inked = 0;
  for (size_t i = 0; i < a.size(); i += 3) {
    bool differs = false;
    for (int c = 0; c < 3; ++c) differs |= std::abs(a[i + c] - b[i + c]) > kChannelTolerance;
    differing += differs;
    inked += a[i] < 250 || a[i + 1] < 250 || a[i + 2] < 250;
  }
  size_t pixels = a.size() / 3;
  EXPECT_GT(inked, pixels / 50) << "the EPS picture is nearly empty";
  EXPECT_LE(double(differing) / double(pixels), kMostDifferingShare)
      << differing << " of " << pixels << " reduced pixels differ";
  SetFontManager(nullptr);
}

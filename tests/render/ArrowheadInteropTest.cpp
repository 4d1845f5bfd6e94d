// Every arrowhead kind, at both ends of a line, looks the same in every output: Ghostscript on
// our EPS, poppler on our PDF and libwmf (through ImageMagick) on our metafile draw what our BMP
// shows, within the one-pixel allowance of the differing pixel rules.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "model/Arrowhead.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "output/ExportFile.h"
#include "render/RegisterRender.h"
#include "support/PixelCompare.h"
#include "support/RenderTestSupport.h"

namespace {

constexpr int kTolerance = 16;
// Pixels beyond the allowance, as a share of our inked pixels: the outlines are the same, what
// is left is stray corner pixels where slanting edges round differently (under 1% when this was
// written). The V's 6-pixel pen ends round on GDI and square in PostScript and PDF, and its
// tip is mitred there (about 3%).
constexpr double kMostDifferingFilled = 0.015;
constexpr double kMostDifferingV = 0.04;

// A horizontal, a vertical and a slanting line, arrows of `kind` at both ends, in black, inside
// a hairline frame: libwmf stretches the outermost geometry over the picture, and the frame
// then lands where ours does.
void BuildArrows(Drawing* drawing, int32_t kind) {
  auto* frame = new BoxShape(0, -10, 270, 210);
  frame->SetLineWidth(0);
  ASSERT_TRUE(drawing->AddShape(frame));
  const float lines[3][4] = {{40, 40, 200, 40}, {240, 30, 240, 170}, {50, 90, 190, 160}};
  for (const auto& l : lines) {
    auto* line = new LineShape(l[0], l[1], l[2], l[3]);
    line->SetLineWidth(3);
    line->SetArrows(Arrowhead{1, kind}, Arrowhead{2, kind});
    ASSERT_TRUE(drawing->AddShape(line));
  }
}

}  // namespace

TEST(ArrowheadInterop, EveryKindLooksTheSameInEveryDriver) {
  if (!HaveTool("gs") || !HaveTool("pdftoppm") || !HaveTool("convert"))
    GTEST_SKIP() << "needs gs, pdftoppm and ImageMagick";
  EnsureGuiApplication();
  RegisterRender();
  const std::string dir = TestWorkDir("arrowhead_drivers");
  for (int32_t kind = 0; kind < kArrowheadKinds; ++kind) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    Drawing drawing;
    BuildArrows(&drawing, kind);
    const std::string base = dir + "/k" + std::to_string(kind);
    const std::pair<int32_t, const char*> files[] = {
        {kExportBmp, ".bmp"}, {kExportEps, ".eps"}, {kExportPdf, ".pdf"}, {kExportWmf, ".wmf"}};
    for (auto [format, ext] : files) ASSERT_TRUE(ExportTo(drawing, format, base + ext));
    RenderEpsAndPdf(base + ".eps", base + ".pdf", base, "-dUseFastColor");
    ASSERT_EQ(RunCommand("convert " + base + ".wmf -depth 8 -background white -flatten " + base +
                         "-wmf.ppm >/dev/null 2>&1"),
              0);
    const Pnm ours = pixels::Binarize(pixels::ReadBmp24(base + ".bmp"));
    const size_t inked = pixels::CountInked(ours);
    ASSERT_GT(inked, 200u);
    struct Driver {
      const char* name;
      Pnm picture;
      bool placedByScan;
    } drivers[] = {{"eps", pixels::Binarize(ReadPnm(base + "-eps.ppm")), false},
                   {"pdf", pixels::Binarize(ReadPnm(base + "-pdf.ppm")), false},
                   {"wmf", pixels::Binarize(ReadPnm(base + "-wmf.ppm")), true}};
    for (const Driver& d : drivers) {
      SCOPED_TRACE(d.name);
      ASSERT_EQ(V(d.picture.channels, d.picture.width, d.picture.height),
                V(3, ours.width, ours.height));
      const Pnm mine = d.placedByScan ? pixels::Register(ours, d.picture) : ours;
      // The frame itself is libwmf's edge of the picture; only what lies inside it counts.
      const size_t differing =
          pixels::CountDiffering(mine, d.picture, kTolerance, d.placedByScan ? 12 : 0);
      std::printf("kind %d %s: %zu of %zu inked pixels differ\n", kind, d.name, differing, inked);
      EXPECT_LE(double(differing),
                (kind == 2 ? kMostDifferingV : kMostDifferingFilled) * double(inked));
    }
  }
}

// Real readers on our PDF and Illustrator output: qpdf checks the PDF's structure, pdfinfo
// reads its version, poppler renders it; Ghostscript runs the Illustrator body.
#include <gtest/gtest.h>

#include <string>

#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "output/ExportFile.h"
#include "output/RoundTripDrawing.h"
#include "support/OutputTestSupport.h"

namespace {

// Every shape kind, style and text alignment, and a red filled box of 200 x 100 points.
void FillDrawing(Drawing& drawing) {
  roundtrip::BuildRoundTripDrawing(&drawing);
  auto* box = new BoxShape(50, 600, 250, 700);
  box->SetFillColor(Color{100, 0, 0});
  drawing.AddShape(box);
}

int CountRedPixels(const Pnm& ppm) {
  int n = 0;
  for (size_t i = 0; i + 2 < ppm.pixels.size(); i += 3) {
    auto r = static_cast<unsigned char>(ppm.pixels[i]);
    auto g = static_cast<unsigned char>(ppm.pixels[i + 1]);
    auto b = static_cast<unsigned char>(ppm.pixels[i + 2]);
    if (r > 200 && g < 60 && b < 60) n++;
  }
  return n;
}

// Ghostscript has no Illustrator 88 procset; these definitions stand in for it so that the
// body of our .ai file runs (every operator it uses, with the same stack effects).
const char kIllustratorOperators[] =
    "%!PS\n/fk [0 0 0 0] def /sk [0 0 0 1] def\n"
    "/k { [ 5 1 roll ] /fk exch def } def /K { [ 5 1 roll ] /sk exch def } def\n"
    "/setfk { fk aload pop setcmykcolor } def /setsk { sk aload pop setcmykcolor } def\n"
    "/m /moveto load def /L /lineto load def /c /curveto load def /C /curveto load def\n"
    "/w /setlinewidth load def /d /setdash load def\n"
    "/F { setfk fill } def /f { closepath F } def /S { setsk stroke } def\n"
    "/s { closepath S } def /B { gsave setfk fill grestore S } def /b { closepath B } def\n"
    "/N /newpath load def /n /newpath load def\n/u {} def /U {} def /*u {} def /*U {} def\n"
    "/z { pop pop /lead exch def exch pop /Helvetica findfont exch scalefont setfont } def\n"
    "/e { gsave concat 0 0 moveto } def\n"
    "/t { setfk show 0 lead neg translate 0 0 moveto } def /T { grestore } def\n";

}  // namespace

TEST(PdfInterop, QpdfPdfinfoAndPopplerAcceptOurPdf) {
  if (!HaveTool("qpdf") || !HaveTool("pdfinfo") || !HaveTool("pdftoppm"))
    GTEST_SKIP() << "qpdf or poppler-utils not installed";
  std::string dir = TestWorkDir("PdfInterop");
  roundtrip::ScopedFixedFonts fonts;
  Drawing drawing;
  FillDrawing(drawing);
  std::string pdf = dir + "/drawing.pdf";
  ASSERT_TRUE(ExportTo(drawing, kExportPdf, pdf));
  EXPECT_EQ(RunCommand("qpdf --check '" + pdf + "' > '" + dir + "/qpdf.txt' 2>&1"), 0)
      << ReadFileBytes(dir + "/qpdf.txt");
  ASSERT_EQ(RunCommand("pdfinfo '" + pdf + "' > '" + dir + "/info.txt' 2>&1"), 0);
  std::string info = ReadFileBytes(dir + "/info.txt");
  // pdfinfo pads its labels to a width that differs between versions.
  auto field = [&](const std::string& label) {
    size_t p = info.find(label + ":");
    if (p == std::string::npos) return std::string();
    p = info.find_first_not_of(' ', p + label.size() + 1);
    return info.substr(p, info.find('\n', p) - p);
  };
  EXPECT_EQ(field("PDF version"), "1.0") << info;
  EXPECT_EQ(field("Pages"), "1") << info;

  ASSERT_EQ(RunCommand("pdftoppm -r 36 -singlefile '" + pdf + "' '" + dir + "/page' 2> '" + dir +
                       "/render.txt'"),
            0);
  // Poppler warns on stderr about anything it had to repair.
  EXPECT_EQ(ReadFileBytes(dir + "/render.txt"), "");
  Pnm page = ReadPnm(dir + "/page.ppm");
  ASSERT_GT(page.width, 0);
  // The red box is 200 x 100 points: at half scale about 100 x 50 pixels.
  EXPECT_GT(CountRedPixels(page), 3000);

  // The empty drawing, which names a font dictionary it does not have, is accepted too.
  Drawing empty;
  std::string emptyPdf = dir + "/empty.pdf";
  ASSERT_TRUE(ExportTo(empty, kExportPdf, emptyPdf));
  EXPECT_EQ(RunCommand("qpdf --check '" + emptyPdf + "' > '" + dir + "/qpdf2.txt' 2>&1"), 0)
      << ReadFileBytes(dir + "/qpdf2.txt");
}

TEST(PdfInterop, GhostscriptRunsOurIllustratorBody) {
  if (!HaveTool("gs")) GTEST_SKIP() << "Ghostscript not installed";
  std::string dir = TestWorkDir("AiInterop");
  roundtrip::ScopedFixedFonts fonts;
  Drawing drawing;
  FillDrawing(drawing);
  std::string ai = dir + "/drawing.ai";
  ASSERT_TRUE(ExportTo(drawing, kExportIllustrator, ai));
  std::string ps = dir + "/run.ps";
  ASSERT_TRUE(WriteFileBytes(ps, kIllustratorOperators + ReadFileBytes(ai) + "showpage\n"));
  EXPECT_EQ(RunCommand("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r36 -sOutputFile='" + dir +
                       "/page.ppm' '" + ps + "' > '" + dir + "/gs.txt' 2>&1"),
            0)
      << ReadFileBytes(dir + "/gs.txt");
  EXPECT_EQ(ReadFileBytes(dir + "/gs.txt"), "");
  EXPECT_GT(CountRedPixels(ReadPnm(dir + "/page.ppm")), 3000);
}

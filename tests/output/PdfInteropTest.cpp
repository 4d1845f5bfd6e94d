// Real readers on our PDF and Illustrator output: qpdf checks the PDF's structure, pdfinfo
// reads its version, poppler renders it; Ghostscript runs the Illustrator body.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/ImageShape.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "output/AiWriter.h"
#include "output/OutputSink.h"
#include "output/PdfWriter.h"
#include "output/RenderDrawing.h"
#include "support/OutputTestSupport.h"

namespace {

// A drawing with every kind of shape the two writers handle: a red filled box, an oval, an
// arc, lines with each arrowhead, texts, an image and a group.
void FillDrawing(Drawing& drawing) {
  auto* box = new BoxShape(50, 50, 250, 150);
  PaintStyle red;
  red.fillOn = 1;
  red.fillColor = Color{100, 0, 0};
  red.lineWidth = 2;
  box->SetPaintStyle(red);
  drawing.AddShape(box);
  drawing.AddShape(new OvalShape(400, 100, 60, 30));
  drawing.AddShape(new ArcShape(400, 300, 50, 50, 30, 250));
  for (int kind = 0; kind < 5; kind++) {
    auto* line = new LineShape(50, 200.0f + 20 * kind, 250, 210.0f + 20 * kind);
    PaintStyle style;
    style.lineWidth = float(kind % 2 + 1);
    style.dash = kind == 4 ? 1 : -1;
    line->SetPaintStyle(style);
    line->SetArrows(Arrowhead{1, kind}, Arrowhead{2, kind});
    drawing.AddShape(line);
  }
  auto* text = new TextShape("Centred (text)\rsecond line \xE9", "Helvetica", 14, 16, 1);
  text->SetMatrix(1, 0, 0, 1, 300, 500);
  drawing.AddShape(text);
  auto* justified = new TextShape("Justified words here\nand the end", "Times-Roman", 12, 14, 3);
  justified->SetMatrix(1, 0, 0, 1, 50, 600);
  drawing.AddShape(justified);
  auto* image = new ImageShape;
  image->image.width = 4;
  image->image.height = 3;
  for (int i = 0; i < 4 * 3; i++) {
    image->image.pixels.push_back(uint8_t(i * 20));
    image->image.pixels.push_back(0);
    image->image.pixels.push_back(uint8_t(255 - i * 20));
  }
  image->SetMatrix(80, 0, 0, 60, 450, 400);
  drawing.AddShape(image);
  auto* group = new GroupShape;
  group->children()->Append(new BoxShape(300, 600, 350, 650));
  group->children()->Append(new OvalShape(500, 650, 20, 20));
  drawing.AddShape(group);
}

template <typename Writer>
bool Export(Drawing& drawing, const std::string& path) {
  FileSink sink(path);
  if (!sink.Open()) return false;
  std::vector<std::string> fonts;
  CollectFonts(drawing.shapes(), &fonts);
  ResetPaintStyleCache();
  int32_t ok = 0;
  {
    Writer writer(&sink, fonts);
    ok = RenderDrawing(drawing, &writer, 0, 9, nullptr);
  }
  return sink.Close() == 1 && ok == 1;
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
  Drawing drawing;
  FillDrawing(drawing);
  std::string pdf = dir + "/drawing.pdf";
  ASSERT_TRUE(Export<PdfWriter>(drawing, pdf));
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
  ASSERT_TRUE(Export<PdfWriter>(empty, emptyPdf));
  EXPECT_EQ(RunCommand("qpdf --check '" + emptyPdf + "' > '" + dir + "/qpdf2.txt' 2>&1"), 0)
      << ReadFileBytes(dir + "/qpdf2.txt");
}

TEST(PdfInterop, GhostscriptRunsOurIllustratorBody) {
  if (!HaveTool("gs")) GTEST_SKIP() << "Ghostscript not installed";
  std::string dir = TestWorkDir("AiInterop");
  Drawing drawing;
  FillDrawing(drawing);
  std::string ai = dir + "/drawing.ai";
  ASSERT_TRUE(Export<AiWriter>(drawing, ai));
  std::string ps = dir + "/run.ps";
  ASSERT_TRUE(WriteFileBytes(ps, kIllustratorOperators + ReadFileBytes(ai) + "showpage\n"));
  EXPECT_EQ(RunCommand("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r36 -sOutputFile='" + dir +
                       "/page.ppm' '" + ps + "' > '" + dir + "/gs.txt' 2>&1"),
            0)
      << ReadFileBytes(dir + "/gs.txt");
  EXPECT_EQ(ReadFileBytes(dir + "/gs.txt"), "");
  EXPECT_GT(CountRedPixels(ReadPnm(dir + "/page.ppm")), 3000);
}

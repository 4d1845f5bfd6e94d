// PDF has no exponent form for numbers: every number of the content stream is plain decimals,
// whatever the size of the coordinates, and poppler and mupdf render it without a word.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "fonts/StringSink.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "output/PsWriterCommon.h"
#include "support/OutputTestSupport.h"

namespace {

std::string Plain(double v, int precision) {
  char buf[kNumberChars];
  return std::string(buf, FormatPlainNumber(buf, v, precision));
}

// Shapes from 1e-6 to 1e+5, and rotated texts far out.
void FillDrawing(Drawing& drawing) {
  auto* polyline = new PolygonShape;
  for (Point p :
       {Point{0.00001f, 20}, Point{30, 0.000001f}, Point{100000, 0.5f}, Point{-0.0000004f, 1e5f}})
    polyline->AddPoint(p.x, p.y);
  drawing.AddShape(polyline);
  auto* box = new BoxShape(0.00002f, 0.00003f, 123456.7f, 1.5e-6f);
  box->SetMatrix(0.5f, 0.00001f, -0.00001f, 0.5f, 0, 0);
  drawing.AddShape(box);
  drawing.AddShape(new OvalShape(99999.9f, 0.00001f, 0.000007f, 3));
  for (float x : {10000.7f, 123456.0f}) {
    auto* text = new TextShape("far away", "Helvetica", 12, 13, 3);
    text->SetMatrix(0.866f, 0.5f, -0.5f, 0.866f, x, 400);
    drawing.AddShape(text);
  }
}

}  // namespace

TEST(PdfNumbers, ExponentFormsBecomePlainDecimals) {
  const struct {
    double v;
    int precision;
    const char* text;
  } cases[] = {
      {0.00001, 6, "0.00001"},   {1e-6, 6, "0.000001"},
      {-2.5e-5, 6, "-0.000025"}, {4e-7, 6, "0"},
      {-4e-7, 6, "0"},           {1234567.8, 6, "1234570"},
      {-1e7, 6, "-10000000"},    {10000.7, 4, "10000"},
      {12.5, 6, "12.5"},         {0.000123, 6, "0.000123"},
      {100000, 4, "100000"},
  };
  for (const auto& c : cases) EXPECT_EQ(Plain(c.v, c.precision), c.text) << c.v;
}

TEST(PdfNumbers, ContentHasNoExponentAndOnlyPdfWritesPlain) {
  Drawing drawing;
  FillDrawing(drawing);
  StringSink pdf, eps;
  ASSERT_EQ(ExportFile(drawing, kExportPdf, &pdf, ExportOptions{.border = 0}), 1);
  const std::string content = PdfContent(pdf.text);
  ASSERT_NE(content.find("Tm"), std::string::npos);
  const std::regex exponent("[0-9.][eE][-+]?[0-9]");
  EXPECT_FALSE(std::regex_search(content, exponent)) << content;
  // PostScript reads exponents: the native file keeps "%g".
  ASSERT_EQ(ExportFile(drawing, kExportNative, &eps, ExportOptions{.border = 0}), 1);
  EXPECT_TRUE(std::regex_search(eps.text, exponent));
}

TEST(PdfNumbersInterop, PopplerAndMupdfRenderWithoutWarnings) {
  Drawing drawing;
  FillDrawing(drawing);
  StringSink sink;
  ASSERT_EQ(ExportFile(drawing, kExportPdf, &sink, ExportOptions{.border = 0}), 1);
  const std::string dir = TestWorkDir("PdfNumbers");
  const std::string pdf = dir + "/far.pdf";
  ASSERT_TRUE(WriteFileBytes(pdf, sink.text));
  bool ran = false;
  if (HaveTool("pdftoppm")) {
    ran = true;
    EXPECT_EQ(
        RunCommand("pdftoppm -scale-to 100 '" + pdf + "' '" + dir + "/p' 2> '" + dir + "/p.txt'"),
        0);
    EXPECT_EQ(ReadFileBytes(dir + "/p.txt"), "");
  }
  if (HaveTool("mutool")) {
    ran = true;
    EXPECT_EQ(RunCommand("mutool draw -q -N -w 100 -h 100 -o '" + dir + "/m.png' '" + pdf +
                         "' > '" + dir + "/m.txt' 2>&1"),
              0);
    EXPECT_EQ(ReadFileBytes(dir + "/m.txt"), "");
  }
  if (!ran) GTEST_SKIP() << "neither poppler-utils nor mupdf-tools installed";
}

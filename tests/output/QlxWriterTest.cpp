#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fonts/StringSink.h"
#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "output/QlxWriter.h"
#include "output/RenderDrawing.h"
#include "support/ModelTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

// The shape lines between the page setup and the trailer.
Lines Body(const std::string& text) {
  size_t from = text.find("%%EndPageSetup\r\n"), to = text.find("%%PageTrailer");
  if (from == std::string::npos || to == std::string::npos) return {"<no page>"};
  return SplitLines(text.substr(from + 16, to - from - 16));
}

bool HasLine(const std::string& text, const std::string& line) {
  return text.find("\r\n" + line + "\r\n") != std::string::npos;
}

std::string Write(Drawing& drawing, bool eps = false, float border = 9) {
  StringSink sink;
  std::vector<std::string> fonts;
  CollectFonts(drawing.shapes(), &fonts);
  if (eps) {
    EpsWriter w(&sink, fonts);
    RenderDrawing(drawing, &w, 0, border, nullptr);
  } else {
    QlxWriter w(&sink, fonts);
    RenderDrawing(drawing, &w, 0, border, nullptr);
  }
  return sink.text;
}

// Runs a few driver calls on a fresh cache and returns the lines they wrote.
template <typename F>
Lines Calls(F f) {
  ResetPaintStyleCache();
  StringSink sink;
  {
    QlxWriter w(&sink);
    f(w);
  }
  return SplitLines(sink.text);
}

}  // namespace

TEST(QlxWriter, DefaultBoxDocument) {
  setenv("SOURCE_DATE_EPOCH", "0", 1);
  Drawing drawing;
  drawing.AddShape(new BoxShape(0, 0, 100, 50));
  std::string text = Write(drawing);
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(Body(text), (Lines{"100 50 0 0 [1 0 0 1 0 0] Bx", "s"}));
  // The border of 9 points plus 0.5, truncated toward zero, clips the page.
  for (const char* line : {"%%CreationDate: Thu Jan  1 00:00:00 1970",
                           "-9 -9 moveto -9 59 lineto 109 59 lineto 109 -9 lineto closepath clip"})
    EXPECT_TRUE(HasLine(text, line)) << line;
  // No font lines without texts; DSC readers take lines of at most 255 characters.
  for (const char* none : {"%%DocumentFonts", " RE\r\n", "%%IncludeFont"})
    EXPECT_FALSE(Contains(text, none)) << none;
  for (const std::string& l : SplitLines(text)) EXPECT_LE(l.size(), 255u) << l.substr(0, 40);
}

TEST(QlxWriter, NumbersMatricesAndStrings) {
  EXPECT_EQ(FormatMatrix(MakeMatrix(0.00005f, 1.23456f, -0.00009f, 1, 300.5f, -2), 0),
            "[0 1.235 0 1 300.5 -2] ");
  EXPECT_EQ(FormatMatrix(MakeMatrix(1, 0, 0, 1, 123456, 0), 1), "1 0 0 1 1.235e+05 0 ");
  // Numbers are printf's "%g" (checked over every binade by the formatting's own test); a float
  // is written as its double.
  EXPECT_EQ(NumberText(0.1f) + " " + NumberText(1e-5) + " " + NumberText(1234567.0),
            "0.1 1e-05 1.23457e+06");
  // Not-a-number would be an undefined name to a printer.
  EXPECT_EQ(NumberText(std::nan("")), "0");
  EXPECT_EQ(EscapePsString("a(b)"), "a\\(b\\)");
  EXPECT_EQ(EscapePsString("\\\xe9\x80\xff\t"), "\\\\\\351\\200\\377\t");
}

TEST(QlxWriter, ImagePaddedToWholeStrings) {
  ImageData image;
  image.width = 1, image.height = 1, image.pixels = {0xab, 0x01, 0xff};
  Matrix m = MakeMatrix(20, 0, 0, 10, 5, 5);
  Lines lines = Calls([&](QlxWriter& w) { w.DrawImage(&m, &image); });
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[0], "[20 0 0 10 5 5] 1 1 img");
  // Pixels that do not cover the image are not written (the procedure would eat the file):
  // 13 pixels need 39 bytes.
  image.width = 13;
  image.pixels.resize(30);
  EXPECT_EQ(Calls([&](QlxWriter& w) { w.DrawImage(&m, &image); }), Lines{});
}

TEST(QlxWriter, OverlongFontNameIsNotListed) {
  Drawing drawing;
  drawing.AddShape(new TextShape("z", std::string(65, 'L'), 12, 13, 0));
  std::string qlx = Write(drawing);
  // A name longer than 64 characters is not listed, but its text still names it.
  EXPECT_TRUE(HasLine(qlx, "/_" + std::string(65, 'L') + " 12 13 0 0 z"));
  EXPECT_FALSE(Contains(qlx, std::string(65, 'L') + " RE"));
}

TEST(QlxWriter, SameBytesUnderACommaLocale) {
  // A locale whose decimal separator is a comma; generated into a temporary directory when the
  // system has none installed.
  const char* found = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "nl_NL.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) && (found = name)) break;
  }
  std::string dir;
  if (!found) {
    dir = TestWorkDir("QlxLocale");
    if (RunCommand("localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1") == 0) {
      setenv("LOCPATH", dir.c_str(), 1);
      if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) found = "de_DE.UTF-8";
    }
  }
  std::setlocale(LC_NUMERIC, "C");
  if (!found) GTEST_SKIP() << "no comma-decimal locale available";

  Drawing drawing;
  auto* box = new BoxShape(0.5f, 1.25f, 100.75f, 50.5f);
  box->SetLineWidth(2.5f);
  box->SetFillColor(Color{33, 50, 75});
  box->SetMatrix(0.5f, 0.25f, 0, 1.5f, 3.5f, 0);
  drawing.AddShape(box);
  setenv("SOURCE_DATE_EPOCH", "1000000000", 1);
  std::string plain = Write(drawing);
  std::setlocale(LC_ALL, found);
  char probe[16];
  std::snprintf(probe, sizeof probe, "%g", 1.5);
  std::string commaText = Write(drawing);
  std::setlocale(LC_ALL, "C");
  unsetenv("SOURCE_DATE_EPOCH");
  if (!dir.empty()) unsetenv("LOCPATH");
  EXPECT_STREQ(probe, "1,5");  // the locale really is in force
  EXPECT_EQ(commaText, plain);
  EXPECT_EQ(Body(plain), (Lines{"0.67 0.5 0.25 0 k", "2.5 w",
                                "100.75 50.5 0.5 1.25 [0.5 0.25 0 1.5 3.5 0] Bx", "b"}));
}

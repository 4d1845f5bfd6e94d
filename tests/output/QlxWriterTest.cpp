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
#include "support/TestSupport.h"

namespace {

using Lines = std::vector<std::string>;

Lines SplitLines(const std::string& text) {
  Lines lines;
  for (size_t start = 0, end; start < text.size(); start = end + 2) {
    end = text.find("\r\n", start);
    if (end == std::string::npos) return lines.push_back(text.substr(start) + "<no CR LF>"), lines;
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The shape lines between the page setup and the trailer.
Lines Body(const std::string& text) {
  size_t from = text.find("%%EndPageSetup\r\n"), to = text.find("%%PageTrailer");
  if (from == std::string::npos || to == std::string::npos) return {"<no page>"};
  return SplitLines(text.substr(from + 16, to - from - 16));
}

std::string Joined(const Lines& lines) {
  std::string all;
  for (size_t i = 0; i < lines.size(); ++i) all += (i ? "|" : "") + lines[i];
  return all;
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
  drawing.path = "/tmp/some dir/box.qlx";
  drawing.grid.hSpacing = 18;
  drawing.AddShape(new BoxShape(0, 0, 100, 50));
  std::string text = Write(drawing);
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(Body(text), (Lines{"100 50 0 0 [1 0 0 1 0 0] Bx", "s"}));
  EXPECT_EQ(text.rfind("%!PS-Adobe-3.0 EPSF-3.0\r\n", 0), 0u);
  // The border of 9 points plus 0.5, truncated toward zero; the grid in the setup.
  for (const char* line :
       {"%%Title: box.qlx", "%%CreationDate: Thu Jan  1 00:00:00 1970",
        "%%BoundingBox: -9 -9 109 59", "%QLX g 18 12 0 0",
        "-9 -9 moveto -9 59 lineto 109 59 lineto 109 -9 lineto closepath clip"}) {
    EXPECT_TRUE(HasLine(text, line)) << line;
  }
  const std::string trailer =
      "s\r\n%%PageTrailer\r\n_QLX_savepage restore\r\n%%Trailer\r\nend\r\nshowpage\r\n%%EOF\r\n";
  EXPECT_EQ(text.substr(text.size() - trailer.size()), trailer);
  // No font lines without texts; DSC readers take lines of at most 255 characters.
  for (const char* none : {"%%DocumentFonts", " RE\r\n", "%%IncludeFont"}) {
    EXPECT_FALSE(Contains(text, none)) << none;
  }
  for (const std::string& l : SplitLines(text)) EXPECT_LE(l.size(), 255u) << l.substr(0, 40);
}

TEST(QlxWriter, NumbersMatricesAndStrings) {
  EXPECT_EQ(FormatMatrix(MakeMatrix(0.00005f, 1.23456f, -0.00009f, 1, 300.5f, -2), 0),
            "[0 1.235 0 1 300.5 -2] ");
  EXPECT_EQ(FormatMatrix(MakeMatrix(1, 0, 0, 1, 123456, 0), 1), "1 0 0 1 1.235e+05 0 ");
  // The fast formatting gives exactly the bytes of printf "%g" (the test runs in the C locale).
  for (double v : {0.0, -1.0, 0.5, 1e-5, 0.0001, 123456.0, 1234567.0, 999999.0, 1e6, -0.0, 1.0 / 3,
                   1e300, -2.5e-7, 612.3, 0.000123456, 99999.95, 1e-320}) {
    char expect[64];
    std::snprintf(expect, sizeof expect, "%g", v);
    EXPECT_EQ(NumberText(v), expect) << v;
    if (std::isinf(float(v))) continue;
    std::snprintf(expect, sizeof expect, "%g", double(float(v)));
    EXPECT_EQ(NumberText(float(v)), expect) << v;
  }
  // Not-a-number would be an undefined name to a printer.
  EXPECT_EQ(NumberText(std::nan("")), "0");
  EXPECT_EQ(EscapePsString("a(b)"), "a\\(b\\)");
  EXPECT_EQ(EscapePsString("\\\xe9\x80\xff\t"), "\\\\\\351\\200\\377\t");
}

TEST(QlxWriter, PaintStyleLinesOnlyWhenChanged) {
  PaintStyle red, solid3, dashed, solid1, patterned, hidden;
  red.fillOn = 1, red.fillColor = Color{100, 0, 0};
  solid3.lineWidth = 3, dashed.lineWidth = 3, dashed.dash = 2;
  patterned.pattern = 8, patterned.fillOn = 1, patterned.strokeOn = 0;
  patterned.strokeColor = Color{0, 50, 100};
  hidden.strokeOn = 0;
  Matrix id, shifted = MakeMatrix(1, 0, 0, 1, 10, 20);
  Arrowhead none, left{1, 2}, right{2, 3};
  EXPECT_EQ(Calls([&](QlxWriter& w) { w.DrawBox(&red, &id, 1, 2, 3, 4); }),
            (Lines{"0 1 1 0 k", "3 4 1 2 [1 0 0 1 0 0] Bx", "b"}));
  EXPECT_EQ(Joined(Calls([&](QlxWriter& w) {
              for (PaintStyle* s : {&solid3, &dashed, &solid1}) {
                w.DrawLine(s, &id, 0, 0, 10, 0, &none, &none);
              }
              w.DrawOval(&patterned, &id, 5, 6, 7, 8);
              w.DrawArc(&solid1, &id, 1, 2, 3, 4, 0, 90);
              w.DrawPie(&solid1, &id, 1, 2, 3, 4, 90, 180);
            })),
            "3 w|0 10 0 0 0 [1 0 0 1 0 0] Ln|S|1 w|[10 4 3 4] 0 d|0 10 0 0 0 [1 0 0 1 0 0] Ln|S|"
            "[] 0 d|0 10 0 0 0 [1 0 0 1 0 0] Ln|S|8 Pat|1 0.5 0 0 K|7 8 5 6 [1 0 0 1 0 0] Ov|f|"
            "-1 Pat|1 1 1 0 K|0 90 3 4 1 2 [1 0 0 1 0 0] Ar|S|90 180 3 4 1 2 [1 0 0 1 0 0] Pi|S");
  // Arrow bits and the arrow shape; a line without stroke ends its path unpainted.
  EXPECT_EQ(Calls([&](QlxWriter& w) {
              w.DrawLine(&hidden, &shifted, 1, 2, 3, 4, &left, &right);
              w.DrawLine(&solid1, &id, 1, 2, 3, 4, &none, &right);
            }),
            (Lines{"2 At", "3 3 4 1 2 [1 0 0 1 10 20] Ln", "N", "3 At",
                   "2 3 4 1 2 [1 0 0 1 0 0] Ln", "S"}));
}

TEST(QlxWriter, PathsAreMappedThroughTheMatrix) {
  PaintStyle style;
  style.fillOn = 1;
  Matrix m = MakeMatrix(2, 0, 0, 2, 1, 1);
  Point pts[3] = {{0, 0}, {10, 0}, {10, 5}};
  CurveNode nodes[2] = {MakeCurveNode(0, 0, 1), MakeCurveNode(10, 10, 0)};
  nodes[0].outX = 1, nodes[0].inX = -1, nodes[1].inY = 9, nodes[1].outY = 11;
  EXPECT_EQ(Calls([&](QlxWriter& w) {
              w.DrawPolygon(&style, &m, pts, 3, 1);
              w.DrawPolygon(&style, &m, pts, 2, 0);
              w.DrawCurve(&style, &m, nodes, 2, 1);
              w.DrawPolygon(&style, &m, pts, 0, 1);  // nothing at all
              w.BeginGroup();
              w.BeginCompound();
              w.EndCompound();
              w.EndGroup();
            }),
            (Lines{"1 1 m", "21 1 L", "21 11 L", "1 1 L", "b", "1 1 m", "21 1 L", "B", "1 1 m",
                   "3 1 21 19 21 21 c", "21 23 -1 1 1 1 C", "b", "u", "*u", "*U", "U"}));
}

TEST(QlxWriter, TextLines) {
  HalfEmMetrics metrics;
  SetTextMetrics(&metrics);
  PaintStyle style;
  style.fillColor = Color{0, 0, 0};
  Matrix m = MakeMatrix(1, 0, 0, 1, 100, 200);
  const float rect[4] = {10, 50, 110, -10};
  Lines lines = Calls([&](QlxWriter& w) {
    w.DrawText(&style, &m, "a(b)\xe9", "Helvetica", 12, 13, kAlignCentre, rect);
    // Same font, size, leading and alignment: no second "z" line.
    w.DrawText(&style, &m, "one\ntwo\rthree\r\nfour", "Helvetica", 12, 13, kAlignCentre, rect);
    w.DrawText(&style, &m, "one\ntwo\r", "Helvetica", 12, 13, kAlignJustify, rect);
  });
  SetTextMetrics(nullptr);
  EXPECT_EQ(Joined(lines),
            "1 1 1 0 k|/_Helvetica 12 13 0 1 z|[1 0 0 1 160 241] e|50 -51 -50 9 tbx|"
            "(a\\(b\\)\\351) t|T|[1 0 0 1 160 241] e|50 -51 -50 9 tbx|(one) t|(two) t|(\\r) TX|"
            "(three) t|(\\r) TX|() t|(four) t|T|/_Helvetica 12 13 0 3 z|[1 0 0 1 110 241] e|"
            "100 -51 0 9 tbx|(one) t|(two) Tx|(\\r) TX|() Tx|T");
}

TEST(QlxWriter, ImagePaddedToWholeStrings) {
  ImageData image;
  image.width = 1, image.height = 1, image.pixels = {0xab, 0x01, 0xff};
  Matrix m = MakeMatrix(20, 0, 0, 10, 5, 5);
  Lines lines = Calls([&](QlxWriter& w) { w.DrawImage(&m, &image); });
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[0], "[20 0 0 10 5 5] 1 1 img");
  EXPECT_EQ(lines[1], "ab01ff" + std::string(66, '0'));
  EXPECT_EQ(lines[21], std::string(72, '0'));
  EXPECT_EQ(lines[22], std::string(24, '0'));
  // Rows do not start new lines; 13 pixels make 39 bytes, padded to 768.
  image.width = 13;
  image.pixels.assign(39, 0x11);
  lines = Calls([&](QlxWriter& w) { w.DrawImage(&m, &image); });
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[2], "111111" + std::string(66, '0'));
  // Pixels that do not cover the image are not written (the procedure would eat the file).
  image.pixels.resize(30);
  EXPECT_EQ(Calls([&](QlxWriter& w) { w.DrawImage(&m, &image); }), Lines{});
}

TEST(QlxWriter, FontListsAndLandscapeEps) {
  Drawing drawing;
  drawing.landscape = 1;
  drawing.AddShape(new BoxShape(0, 0, 600, 400));
  // Border -0.5 makes the box exactly the extent.
  std::string eps = Write(drawing, true, -0.5f);
  EXPECT_TRUE(HasLine(eps, "%%BoundingBox: 0 0 400 600"));
  EXPECT_TRUE(HasLine(eps, "%%Orientation: Landscape"));
  EXPECT_TRUE(Contains(eps,
                       "1 setlinewidth [] 0 setdash\r\n0 0 translate\r\n-90 rotate\r\n0 0 translate"
                       "\r\n-600 0 translate\r\n0 0 moveto 0 400 lineto 600 400 lineto 600 0 "
                       "lineto closepath clip\r\n"));
  // The native file keeps the landscape box as it is.
  std::string qlx = Write(drawing, false, -0.5f);
  EXPECT_TRUE(HasLine(qlx, "%%BoundingBox: 0 0 600 400"));
  EXPECT_FALSE(Contains(qlx, "-90 rotate"));

  auto* group = new GroupShape;
  group->children()->Append(new TextShape("y", "SymbolMT", 12, 13, 0));
  group->children()->Append(new TextShape("w", "Times-Roman", 10, 11, 0));
  drawing.AddShape(new TextShape("x", "Times-Roman", 12, 13, 0));
  drawing.AddShape(group);
  drawing.AddShape(new TextShape("z", std::string(65, 'L'), 12, 13, 0));
  qlx = Write(drawing);
  EXPECT_TRUE(Contains(qlx, "%%DocumentFonts: Times-Roman\r\n%%+ SymbolMT\r\n%%Orientation"));
  EXPECT_TRUE(Contains(qlx,
                       "%QLX g 12 12 0 0\r\n%%IncludeFont: Times-Roman\r\n%%IncludeFont: "
                       "SymbolMT\r\nQLXDict begin\r\n"));
  EXPECT_TRUE(Contains(qlx,
                       "pop\r\n\r\nWinAnsiEncoding /_Times-Roman /Times-Roman RE\r\n"
                       "SymbolEncoding /_SymbolMT /SymbolMT RE\r\n\r\nnewpath"));
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

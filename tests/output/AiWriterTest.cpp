#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "fonts/StringSink.h"
#include "model/ImageData.h"
#include "model/PathShapes.h"
#include "output/AiWriter.h"

namespace {

// Runs one document through the Illustrator writer and returns its lines (without CR LF);
// fails the test when any line lacks its CR.
std::vector<std::string> WriteAi(const std::function<void(AiWriter&)>& body,
                                 PageInfo page = PageInfo{0, 0, 100, 50, "t", 0, {}}) {
  StringSink sink;
  ResetPaintStyleCache();
  {
    AiWriter writer(&sink);
    EXPECT_EQ(writer.BeginDocument(&page, 0, nullptr), 1);
    body(writer);
    writer.EndDocument(nullptr);
  }
  std::vector<std::string> lines;
  std::istringstream in(sink.text);
  std::string line;
  while (std::getline(in, line)) {
    EXPECT_TRUE(!line.empty() && line.back() == '\r') << "line without CR LF: " << line;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The body: the lines between the header's last line and "%%Trailer".
std::vector<std::string> Body(const std::vector<std::string>& lines) {
  const size_t kHeaderLines = 11;
  if (lines.size() < kHeaderLines + 1) return {};
  return std::vector<std::string>(lines.begin() + kHeaderLines, lines.end() - 1);
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(AiWriter, HeaderAndTrailerAroundAnImageOnlyDrawing) {
  PageInfo page{-9, 10, 120, 300, "x.qlx", 1, {12, 12, 0, 0}};
  ImageData image;
  image.width = 1;
  image.height = 1;
  image.pixels = {1, 2, 3};
  Matrix m;
  auto lines = WriteAi(
      [&](AiWriter& w) {
        w.DrawImage(&m, &image);
        w.DrawPie(nullptr, &m, 0, 0, 1, 1, 0, 90);
      },
      page);
  EXPECT_EQ(lines, (Lines{"%!PS-Adobe-2.0 EPSF-1.2",
                          "%%Creator: Adobe Illustrator(TM) for Windows, version 4.0",
                          "%%BoundingBox: -9 10 120 300", "%%TemplateBox: -9 10 120 300",
                          "%%EndComments", "%%BeginProlog", "%%EndProlog", "%%BeginSetup",
                          "%%EndSetup", "0 0 0 0 k", "1 1 1 0 K", "%%Trailer"}));
}

TEST(AiWriter, OvalBoxAndArcBodies) {
  PaintStyle style;  // default: stroked, not filled
  Matrix identity;
  auto oval = Body(WriteAi([&](AiWriter& w) { w.DrawOval(&style, &identity, 0, 0, 1, 1); }));
  EXPECT_EQ(oval,
            (Lines{"1 0 m", "1 0.552285 0.552285 1 0 1 c", "-0.552285 1 -1 0.552285 -1 0 c",
                   "-1 -0.552285 -0.552285 -1 0 -1 c", "0.552285 -1 1 -0.552285 1 0 c", "s"}));

  // Scaled and moved first, then through the matrix.
  Matrix shift = MakeMatrix(1, 0, 0, 1, 100, 0);
  auto moved = Body(WriteAi([&](AiWriter& w) { w.DrawOval(&style, &shift, 10, 20, 5, 2); }));
  ASSERT_FALSE(moved.empty());
  EXPECT_EQ(moved[0], "115 20 m");
  EXPECT_EQ(moved[2], "107.239 22 105 21.1046 105 20 c");

  PaintStyle filled;
  filled.fillOn = 1;
  filled.fillColor = Color{100, 0, 0};
  filled.pattern = 3;  // Illustrator has no patterns: no "Pat" line
  auto box = Body(WriteAi([&](AiWriter& w) { w.DrawBox(&filled, &identity, 0, 0, 100, 50); }));
  EXPECT_EQ(box, (Lines{"0 1 1 0 k", "0 0 m", "0 50 L", "100 50 L", "100 0 L", "0 0 L", "b"}));

  // An arc of 90 degrees is one open curve segment; equal angles write nothing.
  auto arc = Body(WriteAi([&](AiWriter& w) {
    w.DrawArc(&style, &identity, 0, 0, 1, 1, 0, 90);
    w.DrawArc(&style, &identity, 0, 0, 1, 1, 45, 45);
  }));
  ASSERT_EQ(arc.size(), 3u);
  EXPECT_EQ(arc[0], "1 0 m");
  EXPECT_EQ(arc[1].rfind("1 0.552285 0.552285 1 ", 0), 0u);
  EXPECT_EQ(arc[2], "S");
}

TEST(AiWriter, StyleLinesFollowTheCacheWithoutPattern) {
  Matrix identity;
  PaintStyle wide;
  wide.lineWidth = 3;
  PaintStyle dashed = wide;
  dashed.dash = 1;
  PaintStyle thin;
  auto body = Body(WriteAi([&](AiWriter& w) {
    w.DrawLine(&wide, &identity, 0, 0, 10, 0, nullptr, nullptr);
    w.DrawLine(&dashed, &identity, 0, 0, 10, 0, nullptr, nullptr);
    w.DrawLine(&thin, &identity, 0, 0, 10, 0, nullptr, nullptr);
  }));
  EXPECT_EQ(body, (Lines{"3 w", "0 0 m", "10 0 L", "S", "1 w", "[3 3] 0 d", "0 0 m", "10 0 L", "S",
                         "[] 0 d", "0 0 m", "10 0 L", "S"}));
}

TEST(AiWriter, LineArrowheadsArePolygonsInTheStrokeColour) {
  Matrix shift = MakeMatrix(1, 0, 0, 1, 0, 100);
  PaintStyle red;
  red.strokeColor = Color{100, 0, 0};
  Arrowhead none{0, 0}, end{1, 1};
  auto body = Body(WriteAi([&](AiWriter& w) {
    w.DrawLine(&red, &shift, 0, 0, 10, 0, &none, &end);
    PaintStyle hidden = red;
    hidden.strokeOn = 0;
    w.DrawLine(&hidden, &shift, 0, 0, 10, 0, nullptr, nullptr);
  }));
  // Type 1 traced from the end point (10, 0) under the matrix: filled, no outline.
  EXPECT_EQ(body,
            (Lines{"0 1 1 0 K", "0 100 m", "10 100 L", "S", "0 1 1 0 k", "10 100 m", "10 103 L",
                   "19 100 L", "10 97 L", "10 100 L", "f", "0 100 m", "10 100 L", "N"}));
}

TEST(AiWriter, TextIsWrittenLeftForJustifyWithoutParagraphMarks) {
  Matrix m = MakeMatrix(2, 0, 0, 2, 10, 20);
  PaintStyle style;
  const float rect[4] = {0, 50, 100, 0};
  std::string longLine(700, 'x');
  auto body = Body(WriteAi([&](AiWriter& w) {
    w.DrawText(&style, &m, "a(b)\r\nc\xE9\rd", "Helvetica", 12, 14, kAlignJustify, rect);
    w.DrawText(&style, &m, longLine.c_str(), "Helvetica", 12, 14, kAlignLeft, rect);
    w.DrawText(&style, &m, "r", "Helvetica", 12, 14, kAlignRight, rect);
  }));
  // Without text metrics the ascent is 0: the anchor is (x1, y1) through the matrix.
  EXPECT_EQ(body, (Lines{"/_Helvetica 12 14 0 0 z", "[2 0 0 2 10 120] e", "(a\\(b\\)) t", "() t",
                         "(c\\351) t", "(d) t", "T", "[2 0 0 2 10 120] e", "(" + longLine + ") t",
                         "T", "/_Helvetica 12 14 0 2 z", "[2 0 0 2 210 120] e", "(r) t", "T"}));
}

TEST(AiWriter, GroupsAndCompoundsAreBracketed) {
  PaintStyle style;
  Point pts[3] = {{0, 0}, {10, 0}, {10, 10}};
  CurveNode nodes[2] = {MakeCurveNode(0, 0, 0), MakeCurveNode(10, 10, 1)};
  auto body = Body(WriteAi([&](AiWriter& w) {
    w.BeginGroup();
    w.BeginCompound();
    w.DrawPolygon(&style, nullptr, pts, 3, 1);
    w.DrawCurve(&style, nullptr, nodes, 2, 0);
    w.EndCompound();
    w.EndGroup();
  }));
  EXPECT_EQ(body, (Lines{"u", "*u", "0 0 m", "10 0 L", "10 10 L", "0 0 L", "s", "0 0 m",
                         "0 0 10 10 10 10 C", "S", "*U", "U"}));
}

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fonts/StringSink.h"
#include "model/ImageData.h"
#include "output/AiWriter.h"
#include "support/TestSupport.h"

namespace {

// Runs one document through the Illustrator writer and returns its lines (without CR LF).
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
  return SplitLines(sink.text);
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

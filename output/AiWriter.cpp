#include "output/AiWriter.h"

#include <cstring>

#include "model/Arrowhead.h"
#include "model/GraphicsState.h"
#include "model/PathShapes.h"
#include "model/TextMetrics.h"

namespace {

const Matrix& Identity() {
  static const Matrix identity;
  return identity;
}

void PutCmyk(PsLineBuffer& out, const Color& color, char op) {
  float cmyk[4];
  ColorToCmyk(color, cmyk);
  for (float v : cmyk) out.NumberSp(v);
  out.Put(op);
  out.EndLine();
}

}  // namespace

std::vector<TextLine> SplitTextLines(const char* text) {
  std::vector<TextLine> lines;
  if (!text) text = "";
  const char* p = text;
  for (;;) {
    size_t n = std::strcspn(p, "\r\n");
    char cut = p[n];
    lines.push_back(TextLine{p, n, cut != '\n'});
    if (cut == 0) break;
    p += n + 1;
  }
  return lines;
}

AiWriter::AiWriter(OutputSink* sink, std::vector<std::string> fonts)
    : QlxWriter(sink, std::move(fonts)) {}

int32_t AiWriter::BeginDocument(const PageInfo* page, int32_t /*embedFonts*/,
                                ProgressDialog* /*progress*/) {
  if (!page) return 0;
  out_.Line("%!PS-Adobe-2.0 EPSF-1.2");
  out_.Line("%%Creator: Adobe Illustrator(TM) for Windows, version 4.0");
  for (const char* key : {"%%BoundingBox: ", "%%TemplateBox: "}) {
    out_.Put(key);
    out_.IntSp(page->llx);
    out_.IntSp(page->lly);
    out_.IntSp(page->urx);
    out_.Int(page->ury);
    out_.EndLine();
  }
  out_.Line("%%EndComments");
  out_.Line("%%BeginProlog");
  out_.Line("%%EndProlog");
  out_.Line("%%BeginSetup");
  out_.Line("%%EndSetup");
  // White fill and black stroke: what the reset paint style cache says is in force.
  out_.Line("0 0 0 0 k");
  out_.Line("1 1 1 0 K");
  return 1;
}

void AiWriter::EndDocument(ProgressDialog* /*progress*/) {
  out_.Line("%%Trailer");
  out_.Flush();
}

void AiWriter::WriteFillColor(const Color& color) {
  PaintStyleCache& cache = ThePaintStyleCache();
  if (color != cache.fillColor) {
    PutCmyk(out_, color, 'k');
    cache.fillColor = color;
  }
}

void AiWriter::WritePaintStyle(const PaintStyle* style) {
  if (!style) return;
  WriteFillColor(style->fillColor);
  WriteStrokeStyle(style);
}

void AiWriter::PutPoint(const Matrix& m, float x, float y, char op) {
  Point p = Transform(m, x, y);
  out_.NumberSp(p.x);
  out_.NumberSp(p.y);
  out_.Put(op);
  out_.EndLine();
}

void AiWriter::DrawOval(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                        float ry) {
  const Matrix& mm = m ? *m : Identity();
  const float k = float(kQuarterCircle);
  // Control, control and end point of each quadrant, counter-clockwise from (1, 0).
  const float pts[4][6] = {
      {1, k, k, 1, 0, 1},
      {-k, 1, -1, k, -1, 0},
      {-1, -k, -k, -1, 0, -1},
      {k, -1, 1, -k, 1, 0},
  };
  auto map = [&](float u, float v) { return Transform(mm, cx + rx * u, cy + ry * v); };
  WritePaintStyle(style);
  Point start = map(1, 0);
  out_.NumberSp(start.x);
  out_.NumberSp(start.y);
  out_.Line("m");
  for (const auto& q : pts) {
    for (int i = 0; i < 6; i += 2) {
      Point p = map(q[i], q[i + 1]);
      out_.NumberSp(p.x);
      out_.NumberSp(p.y);
    }
    out_.Line("c");
  }
  WritePaintOperator(style, 1);
}

void AiWriter::DrawArc(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                       float ry, float startDeg, float endDeg) {
  OutputDriver::DrawArc(style, m, cx, cy, rx, ry, startDeg, endDeg);
}

void AiWriter::WriteArrowheads(const PaintStyle* style, const Matrix* m, float x1, float y1,
                               float x2, float y2, const Arrowhead* start, const Arrowhead* end) {
  DrawLineArrowheads(*style, x1, y1, x2, y2, start, end,
                     [&](const PaintStyle* s, const Point* points, int32_t count, int32_t closed) {
                       DrawPolygon(s, m, points, count, closed);
                     });
}

void AiWriter::DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                        float y2, const Arrowhead* start, const Arrowhead* end) {
  PaintStyle defaults;
  if (!style) style = &defaults;
  const Matrix& mm = m ? *m : Identity();
  WriteStrokeStyle(style);
  PutPoint(mm, x1, y1, 'm');
  PutPoint(mm, x2, y2, 'L');
  out_.Line(style->strokeOn ? "S" : "N");
  WriteArrowheads(style, m, x1, y1, x2, y2, start, end);
}

void AiWriter::DrawBox(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                       float y2) {
  const Matrix& mm = m ? *m : Identity();
  const char l = LineToOperator();
  WritePaintStyle(style);
  PutPoint(mm, x1, y1, 'm');
  PutPoint(mm, x1, y2, l);
  PutPoint(mm, x2, y2, l);
  PutPoint(mm, x2, y1, l);
  PutPoint(mm, x1, y1, l);
  WritePaintOperator(style, 1);
}

Matrix AiWriter::TextAnchorMatrix(const Matrix* m, const char* font, float size, int32_t align,
                                  const float* rect) {
  float x1 = rect[0], y1 = rect[1], x2 = rect[2];
  float ax = x1;
  if (align == kAlignCentre) ax = (x1 + x2) / 2;
  if (align == kAlignRight) ax = x2;
  TextMetrics* metrics = CurrentTextMetrics();
  float ascent = metrics ? metrics->Ascent(font, size) : 0;
  Matrix placed = m ? *m : Identity();
  Point anchor = Transform(placed, ax, y1 - ascent);
  placed.tx = anchor.x;
  placed.ty = anchor.y;
  return placed;
}

void AiWriter::DrawText(const PaintStyle* style, const Matrix* m, const char* text,
                        const char* font, float size, float leading, int32_t align,
                        const float* rect) {
  PaintStyle defaults;
  if (!style) style = &defaults;
  if (!font) font = "";
  static const float kNoRect[4] = {0, 0, 0, 0};
  if (!rect) rect = kNoRect;
  // Illustrator 88 has no justified text: such text is written and placed as left-aligned.
  if (align == kAlignJustify) align = kAlignLeft;
  WriteFillColor(style->fillColor);
  PaintStyleCache& cache = ThePaintStyleCache();
  const std::string name = PsNameToken(font);
  if (cache.fontName != name || size != cache.fontSize || leading != cache.leading ||
      align != cache.align) {
    out_.Put("/_");
    out_.Put(name);
    out_.Put(' ');
    out_.NumberSp(size);
    out_.NumberSp(leading);
    out_.Put("0 ");
    out_.Int(align);
    out_.Line(" z");
    cache.fontName = name;
    cache.fontSize = size;
    cache.leading = leading;
    cache.align = align;
  }
  Matrix placed = TextAnchorMatrix(m, font, size, align, rect);
  out_.Matrix(placed, 0);
  out_.Line("e");
  for (const TextLine& line : SplitTextLines(text)) {
    out_.Put('(');
    out_.PutEscaped(line.text, line.length);
    out_.Line(") t");
  }
  out_.Line("T");
}

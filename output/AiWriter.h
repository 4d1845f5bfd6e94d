// Adobe Illustrator 88 export: the Illustrator header and trailer around a body of Illustrator
// path operators. Shares the path bodies, the painting operator and the group marks with the
// native writer; images and pies are not exported.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/QlxWriter.h"

class AiWriter : public QlxWriter {
 public:
  // `fonts` as for QlxWriter; the Illustrator file lists none, the PDF writer derived from this
  // one does.
  explicit AiWriter(OutputSink* sink, std::vector<std::string> fonts = {});

  int32_t BeginDocument(const PageInfo* page, int32_t embedFonts,
                        ProgressDialog* progress) override;
  void EndDocument(ProgressDialog* progress) override;
  // Four Bezier quadrants counter-clockwise from (1, 0) on the unit circle, scaled, moved to the
  // centre and mapped through m.
  void DrawOval(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                float ry) override;
  // Pieces of at most 90 degrees through this writer's DrawCurve, open.
  void DrawArc(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx, float ry,
               float startDeg, float endDeg) override;
  void DrawPie(const PaintStyle*, const Matrix*, float, float, float, float, float,
               float) override {}
  void DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2, float y2,
                const Arrowhead* start, const Arrowhead* end) override;
  void DrawText(const PaintStyle* style, const Matrix* m, const char* text, const char* font,
                float size, float leading, int32_t align, const float* rect) override;
  void DrawBox(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
               float y2) override;
  void DrawImage(const Matrix*, const ImageData*) override {}

  int32_t RotatesLandscape() override { return 0; }
  // Fill colour, stroke colour, width and dash, each when changed; no pattern line.
  void WritePaintStyle(const PaintStyle* style) override;

 protected:
  // The text's matrix moved to its first baseline's anchor: the frame's left, centre or right
  // edge (by the alignment) at the frame's top less the font's ascent.
  static Matrix TextAnchorMatrix(const Matrix* m, const char* font, float size, int32_t align,
                                 const float* rect);
  // The line-to operator of the path bodies: "L" here, "l" in PDF.
  virtual char LineToOperator() const { return 'L'; }
  // The fill colour line when it differs from the cache (texts are painted in the fill colour).
  void WriteFillColor(const Color& color);
  // "x y m" / "x y <op>" with the point mapped through m.
  void PutPoint(const Matrix& m, float x, float y, char op);
  // The arrowheads of a line, drawn through this writer's DrawPolygon under the line's matrix.
  void WriteArrowheads(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                       float y2, const Arrowhead* start, const Arrowhead* end);
};

// The lines of a text: cut at CR, at LF and at its end (so a text always has at least one line,
// and CR LF yields an empty line for the LF). `paragraphEnd` is set for a line cut at CR or at
// the end of the text.
struct TextLine {
  const char* text;
  size_t length;
  bool paragraphEnd;
};
std::vector<TextLine> SplitTextLines(const char* text);

// An output driver that writes one text line per call, so tests of every shape's Write, of the
// drawing walk and of the drivers built on the base operations compare plain text.
//
// Line format (stable; later tests depend on it). Fields are separated by one space; numbers
// are printed with "%g" and a negative zero as "0"; a null pointer argument is "-".
//   BeginDocument bbox=[llx lly urx ury] title="T" landscape=L grid=[h v show snap] embed=E
//   EndDocument
//   BeginGroup | EndGroup | BeginCompound | EndCompound
//   DrawOval STYLE MATRIX cx cy rx ry
//   DrawArc STYLE MATRIX cx cy rx ry start end
//   DrawPie STYLE MATRIX cx cy rx ry start end
//   DrawLine STYLE MATRIX x1 y1 x2 y2 ARROW ARROW
//   DrawBox STYLE MATRIX x1 y1 x2 y2
//   DrawPolygon STYLE MATRIX n=N closed=C (x y) (x y) ...
//   DrawCurve STYLE MATRIX n=N closed=C (x y; inX inY; outX outY; corner) ...
//   DrawText STYLE MATRIX font="F" size=S leading=L align=A rect=[x1 y1 x2 y2] text="T"
//   DrawImage MATRIX WxH fnv=XXXXXXXX      (FNV-1a of the pixel bytes, 8 hex digits)
// where
//   STYLE  = {lw=W S=on:r,g,b F=on:r,g,b pat=P dash=D}
//   MATRIX = [a b c d tx ty]
//   ARROW  = enabled:kind
// Quoted text escapes backslash, double quote, CR (\r), LF (\n) and other bytes outside
// 0x20..0x7e (\xNN). DrawText with a null rect prints rect=-.
#pragma once

#include <string>
#include <vector>

#include "output/OutputDriver.h"

class TraceDriver : public OutputDriver {
 public:
  // Lines go to lines().
  TraceDriver() = default;
  // Lines go to the sink, each ended by "\n"; lines() stays empty.
  explicit TraceDriver(OutputSink* sink) : OutputDriver(sink) {}

  const std::vector<std::string>& lines() const { return lines_; }
  // All lines, each ended by "\n".
  std::string Text() const;
  void Clear() { lines_.clear(); }

  // With this on, DrawOval and DrawArc use the base conversion to DrawCurve (what the
  // graphics-device drivers inherit) instead of tracing themselves.
  void SetUseBaseCurves(bool on) { useBaseCurves_ = on; }
  // The result BeginDocument reports (1 unless set), to test a document that cannot begin.
  void SetBeginResult(int32_t result) { beginResult_ = result; }

  int32_t BeginDocument(const PageInfo* page, int32_t embedFonts,
                        ProgressDialog* progress) override;
  void EndDocument(ProgressDialog* progress) override;
  void BeginGroup() override;
  void EndGroup() override;
  void BeginCompound() override;
  void EndCompound() override;
  void DrawOval(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                float ry) override;
  void DrawArc(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx, float ry,
               float startDeg, float endDeg) override;
  void DrawPie(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx, float ry,
               float startDeg, float endDeg) override;
  void DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2, float y2,
                const Arrowhead* start, const Arrowhead* end) override;
  void DrawPolygon(const PaintStyle* style, const Matrix* m, const Point* points, int32_t count,
                   int32_t closed) override;
  void DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes, int32_t count,
                 int32_t closed) override;
  void DrawText(const PaintStyle* style, const Matrix* m, const char* text, const char* font,
                float size, float leading, int32_t align, const float* rect) override;
  void DrawBox(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
               float y2) override;
  void DrawImage(const Matrix* m, const ImageData* image) override;

 private:
  void Emit(std::string line);

  std::vector<std::string> lines_;
  bool useBaseCurves_ = false;
  int32_t beginResult_ = 1;
};

// The pieces of a trace line, for tests that build expected lines.
std::string TraceNumber(double v);
std::string TraceStyle(const PaintStyle* style);
std::string TraceMatrix(const Matrix* m);
std::string TraceQuoted(const char* text);

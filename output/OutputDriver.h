// The one interface through which every shape leaves the program: files, printers, bitmaps,
// metafiles. A shape calls exactly one drawing operation with its geometry, matrix and style.
#pragma once

#include <cstdint>
#include <string>

#include "model/Geometry.h"

struct CurveNode;
struct ImageData;
class OutputSink;
class ProgressDialog;

struct PageInfo {
  int32_t llx = 0, lly = 0, urx = 0, ury = 0;  // bounding box in points
  std::string title;                           // carried whole, whatever its length
  int32_t landscape = 0;
  int32_t grid[4] = {0, 0, 0, 0};  // horizontal and vertical spacing, show, snap
};

enum TextAlign : int32_t { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2, kAlignJustify = 3 };

class OutputDriver {
 public:
  explicit OutputDriver(OutputSink* sink = nullptr) : sink_(sink) {}
  OutputDriver(const OutputDriver&) = delete;
  OutputDriver& operator=(const OutputDriver&) = delete;

  // Slots in order; slot 0 is the destructor.
  virtual ~OutputDriver() = default;
  // Result 1 when the document could be started.
  virtual int32_t BeginDocument(const PageInfo* page, int32_t embedFonts,
                                ProgressDialog* progress) = 0;
  virtual void EndDocument(ProgressDialog* progress) = 0;
  virtual void BeginGroup() {}
  virtual void EndGroup() {}
  virtual void BeginCompound() {}
  virtual void EndCompound() {}
  // Base: the unit circle as four Bezier quadrants, closed, through DrawCurve.
  virtual void DrawOval(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                        float ry);
  // Base: pieces of at most 90 degrees, open, through DrawCurve.
  virtual void DrawArc(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                       float ry, float startDeg, float endDeg);
  virtual void DrawPie(const PaintStyle*, const Matrix*, float, float, float, float, float, float) {
  }
  virtual void DrawLine(const PaintStyle*, const Matrix*, float, float, float, float,
                        const Arrowhead*, const Arrowhead*) {}
  virtual void DrawPolygon(const PaintStyle* style, const Matrix* m, const Point* points,
                           int32_t count, int32_t closed) = 0;
  virtual void DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes,
                         int32_t count, int32_t closed) = 0;
  // text holds CR (paragraph) and LF (soft break) line ends; rect is x1, y1, x2, y2.
  virtual void DrawText(const PaintStyle*, const Matrix*, const char* /*text*/,
                        const char* /*font*/, float /*size*/, float /*leading*/, int32_t /*align*/,
                        const float* /*rect*/) {}
  virtual void DrawBox(const PaintStyle*, const Matrix*, float, float, float, float) {}
  virtual void DrawImage(const Matrix*, const ImageData*) {}

  OutputSink* sink() const { return sink_; }

 protected:
  OutputSink* sink_;
};

// Builds the curve nodes of an arc of the ellipse (cx, cy, rx, ry) from a1 to a2 degrees in
// pieces of at most 90 (the base DrawArc, shared with the Illustrator and PDF writers).
// Returns false when the node list cannot be allocated; count 0 for equal angles. The list is
// allocated with std::malloc and the caller releases it with std::free.
bool ArcToCurveNodes(float cx, float cy, float rx, float ry, float a1, float a2, CurveNode** nodes,
                     int32_t* count);

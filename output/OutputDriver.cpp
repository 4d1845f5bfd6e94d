#include "output/OutputDriver.h"

#include <cstdlib>

#include "model/GraphicsState.h"
#include "model/PathShapes.h"

namespace {

// A sweep below 360 degrees never needs more than four pieces; the room to spare covers a
// full turn kept as 360.
constexpr int kMaxArcPieces = 8;

CurveNode UnitNode(float cx, float cy, float rx, float ry, float u, float v, float iu, float iv,
                   float ou, float ov) {
  CurveNode n;
  n.x = cx + rx * u;
  n.y = cy + ry * v;
  n.inX = cx + rx * iu;
  n.inY = cy + ry * iv;
  n.outX = cx + rx * ou;
  n.outY = cy + ry * ov;
  n.corner = 0;
  return n;
}

}  // namespace

void OutputDriver::DrawOval(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                            float ry) {
  // Counter-clockwise from (1, 0): each node's in control ends the previous quadrant and its
  // out control starts the next.
  const float k = float(kQuarterCircle);
  CurveNode nodes[4] = {
      UnitNode(cx, cy, rx, ry, 1, 0, 1, -k, 1, k),
      UnitNode(cx, cy, rx, ry, 0, 1, k, 1, -k, 1),
      UnitNode(cx, cy, rx, ry, -1, 0, -1, k, -1, -k),
      UnitNode(cx, cy, rx, ry, 0, -1, -k, -1, k, -1),
  };
  DrawCurve(style, m, nodes, 4, 1);
}

void OutputDriver::DrawArc(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                           float ry, float startDeg, float endDeg) {
  CurveNode* nodes = nullptr;
  int32_t count = 0;
  if (!ArcToCurveNodes(cx, cy, rx, ry, startDeg, endDeg, &nodes, &count)) return;
  if (count > 0) DrawCurve(style, m, nodes, count, 0);
  std::free(nodes);
}

bool ArcToCurveNodes(float cx, float cy, float rx, float ry, float a1, float a2, CurveNode** nodes,
                     int32_t* count) {
  *nodes = nullptr;
  *count = 0;
  double starts[kMaxArcPieces];
  double sweeps[kMaxArcPieces];
  int pieces = ArcPieces(a1, a2, starts, sweeps, kMaxArcPieces);
  if (pieces <= 0) return true;
  if (pieces > kMaxArcPieces) pieces = kMaxArcPieces;
  auto* out = static_cast<CurveNode*>(std::malloc(sizeof(CurveNode) * size_t(pieces + 1)));
  if (!out) return false;
  auto map = [&](const Point& p, float* x, float* y) {
    *x = cx + rx * p.x;
    *y = cy + ry * p.y;
  };
  Point p[4];
  for (int i = 0; i < pieces; ++i) {
    ArcPiece(0, 0, 1, starts[i], sweeps[i], p);
    if (i == 0) {
      CurveNode first;
      map(p[0], &first.x, &first.y);
      first.inX = first.x;
      first.inY = first.y;
      out[0] = first;
    }
    map(p[1], &out[i].outX, &out[i].outY);
    CurveNode next;
    map(p[3], &next.x, &next.y);
    map(p[2], &next.inX, &next.inY);
    next.outX = next.x;
    next.outY = next.y;
    out[i + 1] = next;
  }
  *nodes = out;
  *count = pieces + 1;
  return true;
}

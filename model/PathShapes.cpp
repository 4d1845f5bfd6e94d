#include "model/PathShapes.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "model/GraphicsState.h"
#include "model/HandleMarker.h"
#include "model/SimpleShapes.h"
#include "output/OutputDriver.h"

namespace {

// How firmly smoothing pulls the controls towards the node: 1 - tension of the distance.
constexpr double kTension = 0.45;
constexpr double kTwoPi = 2 * kPi;
constexpr double kHalfPi = kPi / 2;
constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kSinQuarterPi = 0.7071067811865476;
// Sample count of the nearest-point search: t = 0, 0.0001, ..., 1.
constexpr int32_t kBezierSteps = 10000;

struct DPoint {
  double x = 0;
  double y = 0;
};

DPoint Lerp(const DPoint& a, const DPoint& b, double t) {
  return DPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// Distance and angle from p to q with y measured downward, the angle in [0, 2 pi).
void DirectionTo(double px, double py, double qx, double qy, double* length, double* angle) {
  double dx = qx - px;
  double dy = py - qy;
  *length = std::sqrt(dx * dx + dy * dy);
  if (*length == 0) {
    *angle = 0;
    return;
  }
  double a = std::atan2(dy, dx);
  if (a < 0) a += kTwoPi;
  *angle = a;
}

// Controls of an inner node from its distance and angle to the previous (d1, a1) and the next
// (d2, a2) neighbour: perpendicular to the bisector, shorter where the path runs straight.
void InnerControls(CurveNode* node, double d1, double a1, double d2, double a2) {
  double mid = (a1 + a2) / 2;
  double s, inAngle, outAngle;
  if (a1 <= a2) {
    s = std::sin(a2 - mid);
    inAngle = mid - kHalfPi;
    outAngle = mid + kHalfPi;
  } else {
    s = std::sin(mid - a2);
    inAngle = mid + kHalfPi;
    outAngle = mid - kHalfPi;
  }
  if (s > kSinQuarterPi) s = kSqrt2 - s;
  double inLength = d1 * s * (1 - kTension);
  double outLength = d2 * s * (1 - kTension);
  node->inX = float(node->x + std::cos(inAngle) * inLength);
  node->inY = float(node->y - std::sin(inAngle) * inLength);
  node->outX = float(node->x + std::cos(outAngle) * outLength);
  node->outY = float(node->y - std::sin(outAngle) * outLength);
}

// Smooths node `at` between `prev` and `next`. The angle back to the previous neighbour is
// the forward angle turned by pi, kept in [0, 2 pi) like every other angle here so that the
// bisector rule sees the same values whichever way the path turns.
void SmoothInner(CurveNode* nodes, int32_t prev, int32_t at, int32_t next) {
  double d1, forward, d2, a2;
  DirectionTo(nodes[prev].x, nodes[prev].y, nodes[at].x, nodes[at].y, &d1, &forward);
  DirectionTo(nodes[at].x, nodes[at].y, nodes[next].x, nodes[next].y, &d2, &a2);
  double a1 = forward + kPi;
  if (a1 >= kTwoPi) a1 -= kTwoPi;
  InnerControls(&nodes[at], d1, a1, d2, a2);
}

void AddMapped(Rect* r, const Matrix& m, float x, float y) {
  Point p = Transform(m, x, y);
  AddPointToRect(r, p.x, p.y);
}

// Page-space control points of the curve segment from node a to node b.
void SegmentControls(const CurveNode& a, const CurveNode& b, const Matrix& m, Point out[4]) {
  out[0] = Transform(m, a.x, a.y);
  out[1] = Transform(m, a.outX, a.outY);
  out[2] = Transform(m, b.inX, b.inY);
  out[3] = Transform(m, b.x, b.y);
}

// Index of the first segment near the point, taking the closing segment last and only when
// closed; -1 when none. Segment i runs from element i to element (i + 1) % count.
template <typename Near>
int32_t FirstNearSegment(int32_t count, int32_t closed, Near near) {
  if (count < 2) return -1;
  for (int32_t i = 0; i + 1 < count; ++i)
    if (near(i, i + 1)) return i;
  if (closed && near(count - 1, 0)) return count - 1;
  return -1;
}

}  // namespace

CurveNode MakeCurveNode(float x, float y, uint8_t corner) {
  CurveNode n;
  n.x = n.inX = n.outX = x;
  n.y = n.inY = n.outY = y;
  n.corner = corner;
  return n;
}

// ---------------------------------------------------------------------------------------------
// Curve mathematics

// Exact test without clipping: the boxes must overlap and the rectangle's corners must not all
// lie strictly on one side of the segment's line. Products of floats are exact in double.
bool SegmentNearPoint(float x1, float y1, float x2, float y2, float px, float py, float tol) {
  return SegmentMeetsRect(x1, y1, x2, y2, px - tol, py - tol, px + tol, py + tol);
}

bool NearestOnBezier(const Point p[4], float px, float py, float tol, float* t, Point* at) {
  float minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
  for (int i = 1; i < 4; ++i) {
    minX = std::min(minX, p[i].x);
    maxX = std::max(maxX, p[i].x);
    minY = std::min(minY, p[i].y);
    maxY = std::max(maxY, p[i].y);
  }
  if (!RectsIntersect(minX, minY, maxX, maxY, px - tol, py - tol, px + tol, py + tol)) return false;
  double cx = 3.0 * (double(p[1].x) - p[0].x), cy = 3.0 * (double(p[1].y) - p[0].y);
  double bx = 3.0 * (double(p[2].x) - p[1].x) - cx, by = 3.0 * (double(p[2].y) - p[1].y) - cy;
  double ax = double(p[3].x) - p[0].x - cx - bx, ay = double(p[3].y) - p[0].y - cy - by;
  bool found = false;
  double bestT = 0, bestX = 0, bestY = 0, bestD = 0;
  for (int32_t i = 0; i <= kBezierSteps; ++i) {
    double u = double(i) / kBezierSteps;
    double x = ((ax * u + bx) * u + cx) * u + p[0].x;
    double y = ((ay * u + by) * u + cy) * u + p[0].y;
    double ex = x - px, ey = y - py;
    if (std::fabs(ex) > tol || std::fabs(ey) > tol) continue;
    double d = ex * ex + ey * ey;
    if (found && d > bestD) break;  // moving away again: the first run's closest point
    found = true;
    bestT = u;
    bestX = x;
    bestY = y;
    bestD = d;
  }
  if (!found) return false;
  *t = float(bestT);
  *at = Point{float(bestX), float(bestY)};
  return true;
}

Rect CurveBounds(const CurveNode* nodes, int32_t count, int32_t closed, const Matrix& m) {
  Rect r;
  for (int32_t i = 0; i < count; ++i) {
    const CurveNode& n = nodes[i];
    AddMapped(&r, m, n.x, n.y);
    // An open curve never uses the first node's in control nor the last node's out control.
    if (closed || i > 0) AddMapped(&r, m, n.inX, n.inY);
    if (closed || i + 1 < count) AddMapped(&r, m, n.outX, n.outY);
  }
  return r;
}

void SmoothNodes(CurveNode* nodes, int32_t count, int32_t closed) {
  if (!nodes || count < 2) return;
  if (count == 2) {
    CurveNode& a = nodes[0];
    CurveNode& b = nodes[1];
    if (closed) {
      double d, angle;
      DirectionTo(a.x, a.y, b.x, b.y, &d, &angle);
      double kx = d * std::sin(angle) * kTension;
      double ky = d * std::cos(angle) * kTension;
      a.inX = float(a.x - kx);
      a.inY = float(a.y - ky);
      a.outX = float(a.x + kx);
      a.outY = float(a.y + ky);
      b.inX = float(b.x + kx);
      b.inY = float(b.y + ky);
      b.outX = float(b.x - kx);
      b.outY = float(b.y - ky);
    } else {
      a.outX = float(a.x + (double(b.x) - a.x) / 3);
      a.outY = float(a.y + (double(b.y) - a.y) / 3);
      b.inX = float(b.x + (double(a.x) - b.x) / 3);
      b.inY = float(b.y + (double(a.y) - b.y) / 3);
      // The unused outer controls sit on their anchors, so closing the curve later gives a
      // straight closing segment instead of one bent towards the page origin.
      a.inX = a.x;
      a.inY = a.y;
      b.outX = b.x;
      b.outY = b.y;
    }
    return;
  }
  for (int32_t i = 1; i + 1 < count; ++i) SmoothInner(nodes, i - 1, i, i + 1);
  if (closed) {
    SmoothInner(nodes, count - 1, 0, 1);
    SmoothInner(nodes, count - 2, count - 1, 0);
    return;
  }
  // Open ends: pull the neighbouring controls a quarter of the way in and mirror them.
  CurveNode& n0 = nodes[0];
  CurveNode& n1 = nodes[1];
  n0.outX = (3 * n1.inX + n0.x) / 4;
  n0.outY = (3 * n1.inY + n0.y) / 4;
  n1.inX = (3 * n1.inX + n1.x) / 4;
  n1.inY = (3 * n1.inY + n1.y) / 4;
  n0.inX = 2 * n0.x - n0.outX;
  n0.inY = 2 * n0.y - n0.outY;
  CurveNode& last = nodes[count - 1];
  CurveNode& before = nodes[count - 2];
  last.inX = (3 * before.outX + last.x) / 4;
  last.inY = (3 * before.outY + last.y) / 4;
  before.outX = (3 * before.outX + before.x) / 4;
  before.outY = (3 * before.outY + before.y) / 4;
  last.outX = 2 * last.x - last.inX;
  last.outY = 2 * last.y - last.inY;
}

// ---------------------------------------------------------------------------------------------
// PolygonShape

PolygonShape::PolygonShape(const PolygonShape& other) : Shape(other), closed(other.closed) {
  points.CopyFrom(other.points);
}

void PolygonShape::BuildPath() {
  int32_t n = points.Count();
  if (n == 0) return;
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.concat(matrix_);
  gs.moveto(points[0].x, points[0].y);
  for (int32_t i = 1; i < n; ++i) gs.lineto(points[i].x, points[i].y);
  if (closed) {
    gs.lineto(points[0].x, points[0].y);
    gs.closepath();
  }
  gs.grestore();
}

void PolygonShape::Draw(int32_t mode) { DrawPath(mode); }

void PolygonShape::DrawHandles(int32_t mode) { MarkHandles(points.Data(), points.Count(), mode); }

void PolygonShape::Write(OutputDriver& driver) {
  driver.DrawPolygon(&style_, &matrix_, points.Data(), points.Count(), closed);
}

Shape* PolygonShape::Clone() const {
  PolygonShape* copy = new (std::nothrow) PolygonShape(*this);
  if (copy && copy->points.Count() != points.Count()) {
    delete copy;
    return nullptr;
  }
  return copy;
}

void PolygonShape::GetBounds(Rect* out, int32_t includeLine) {
  if (!boundsValid_) {
    Rect r;
    for (const Point& p : points) AddMapped(&r, matrix_, p.x, p.y);
    cachedBounds_ = r;
    boundsValid_ = 1;
  }
  Rect r = cachedBounds_;
  if (includeLine) GrowByLineWidth(&r);
  *out = r;
}

Tool* PolygonShape::Editor() { return TheShapeEditors().polygon; }

int32_t PolygonShape::TouchesRect(float x1, float y1, float x2, float y2) {
  return TouchesRectByOutline(x1, y1, x2, y2);
}

int32_t PolygonShape::HitInterior(float x, float y) { return HitInteriorByOutline(x, y); }

namespace {

// The first polygon segment near (px, py) and the parameter of the point's projection on its
// line (not clamped); -1 when none.
int32_t NearPolygonSegment(const GrowArray<Point>& pts, int32_t closed, const Matrix& m, float px,
                           float py, float tol, double* u) {
  return FirstNearSegment(pts.Count(), closed, [&](int32_t i, int32_t j) {
    Point a = Transform(m, pts[i].x, pts[i].y);
    Point b = Transform(m, pts[j].x, pts[j].y);
    if (!SegmentNearPoint(a.x, a.y, b.x, b.y, px, py, tol)) return false;
    double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    double len2 = dx * dx + dy * dy;
    *u = len2 > 0 ? ((double(px) - a.x) * dx + (double(py) - a.y) * dy) / len2 : 0;
    return true;
  });
}

}  // namespace

int32_t PolygonShape::SnapToOutline(float* x, float* y, float tolerance) {
  double u = 0;
  int32_t i = NearPolygonSegment(points, closed, matrix_, *x, *y, tolerance, &u);
  if (i < 0) return 0;
  const Point& p = points[i];
  const Point& q = points[(i + 1) % points.Count()];
  Point a = Transform(matrix_, p.x, p.y);
  Point b = Transform(matrix_, q.x, q.y);
  *x = float(a.x + (double(b.x) - a.x) * u);
  *y = float(a.y + (double(b.y) - a.y) * u);
  return 1;
}

int32_t PolygonShape::AddPoint(float x, float y) {
  if (!points.Append(Point{x, y})) return 0;
  InvalidateBounds();
  return 1;
}

// The projection is placed on the local segment at the same parameter: an affine matrix keeps
// ratios along a line, and unlike mapping back through the inverse this stays exact for a
// matrix that has collapsed the shape.
int32_t PolygonShape::InsertNodeAt(float x, float y, float tolerance) {
  double u = 0;
  int32_t i = NearPolygonSegment(points, closed, matrix_, x, y, tolerance, &u);
  if (i < 0) return 0;
  const Point p = points[i];
  const Point q = points[(i + 1) % points.Count()];
  Point local{float(p.x + (double(q.x) - p.x) * u), float(p.y + (double(q.y) - p.y) * u)};
  if (!points.Insert(i + 1, local)) return 0;
  InvalidateBounds();
  return 1;
}

int32_t PolygonShape::DeleteNode(int32_t index) {
  if (index < 0 || index >= points.Count()) return 0;
  points.RemoveAt(index);
  InvalidateBounds();
  return 1;
}

void PolygonShape::Close() {
  closed = 1;
  InvalidateBounds();
}

// ---------------------------------------------------------------------------------------------
// CurveShape

CurveShape::CurveShape(const CurveShape& other) : Shape(other), closed(other.closed) {
  nodes.CopyFrom(other.nodes);
}

void CurveShape::BuildPath() {
  int32_t n = nodes.Count();
  if (n == 0) return;
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.concat(matrix_);
  gs.moveto(nodes[0].x, nodes[0].y);
  for (int32_t i = 0; i + 1 < n; ++i) {
    const CurveNode& a = nodes[i];
    const CurveNode& b = nodes[i + 1];
    gs.curveto(a.outX, a.outY, b.inX, b.inY, b.x, b.y);
  }
  if (closed) {
    const CurveNode& a = nodes[n - 1];
    const CurveNode& b = nodes[0];
    gs.curveto(a.outX, a.outY, b.inX, b.inY, b.x, b.y);
    gs.closepath();
  }
  gs.grestore();
}

void CurveShape::Draw(int32_t mode) { DrawPath(mode); }

void CurveShape::DrawHandles(int32_t mode) {
  HandleMarker* marker = CurrentHandleMarker();
  if (!marker) return;
  int32_t n = nodes.Count();
  auto node = [&](int32_t i) {
    const CurveNode& c = nodes[i];
    int32_t ax = 0, ay = 0;
    HandlePosition(c.x, c.y, &ax, &ay);
    marker->Handle(ax, ay, mode);
    if (mode == 0) return;
    if (closed || i > 0) {
      int32_t cx = 0, cy = 0;
      HandlePosition(c.inX, c.inY, &cx, &cy);
      marker->ControlMark(cx, cy);
      marker->GuideLine(cx, cy, ax, ay);
    }
    if (closed || i + 1 < n) {
      int32_t cx = 0, cy = 0;
      HandlePosition(c.outX, c.outY, &cx, &cy);
      marker->ControlMark(cx, cy);
      marker->GuideLine(cx, cy, ax, ay);
    }
  };
  for (int32_t i = 1; i + 1 < n; ++i) node(i);
  if (n > 1) node(n - 1);
  if (n > 0) node(0);
}

void CurveShape::Write(OutputDriver& driver) {
  driver.DrawCurve(&style_, &matrix_, nodes.Data(), nodes.Count(), closed);
}

Shape* CurveShape::Clone() const {
  CurveShape* copy = new (std::nothrow) CurveShape(*this);
  if (copy && copy->nodes.Count() != nodes.Count()) {
    delete copy;
    return nullptr;
  }
  return copy;
}

void CurveShape::GetBounds(Rect* out, int32_t includeLine) {
  if (!boundsValid_) {
    cachedBounds_ = CurveBounds(nodes.Data(), nodes.Count(), closed, matrix_);
    boundsValid_ = 1;
  }
  Rect r = cachedBounds_;
  if (includeLine) GrowByLineWidth(&r);
  *out = r;
}

Tool* CurveShape::Editor() { return TheShapeEditors().curve; }

int32_t CurveShape::TouchesRect(float x1, float y1, float x2, float y2) {
  return TouchesRectByOutline(x1, y1, x2, y2);
}

int32_t CurveShape::HitInterior(float x, float y) { return HitInteriorByOutline(x, y); }

namespace {

// The first curve segment with a near point; its index, parameter and page-space point.
int32_t NearCurveSegment(const GrowArray<CurveNode>& nodes, int32_t closed, const Matrix& m,
                         float px, float py, float tol, float* t, Point* at) {
  return FirstNearSegment(nodes.Count(), closed, [&](int32_t i, int32_t j) {
    Point p[4];
    SegmentControls(nodes[i], nodes[j], m, p);
    return NearestOnBezier(p, px, py, tol, t, at);
  });
}

}  // namespace

int32_t CurveShape::SnapToOutline(float* x, float* y, float tolerance) {
  float t = 0;
  Point at;
  if (NearCurveSegment(nodes, closed, matrix_, *x, *y, tolerance, &t, &at) < 0) return 0;
  *x = at.x;
  *y = at.y;
  return 1;
}

int32_t CurveShape::AddNode(const CurveNode& node) {
  if (!nodes.Append(node)) return 0;
  InvalidateBounds();
  return 1;
}

// The segment is split in local coordinates at the parameter found on the page: de Casteljau's
// construction commutes with the affine matrix, so this is the page-space split mapped back,
// without the round trip through the inverse.
int32_t CurveShape::InsertNodeAt(float x, float y, float tolerance) {
  float t = 0;
  Point at;
  int32_t i = NearCurveSegment(nodes, closed, matrix_, x, y, tolerance, &t, &at);
  if (i < 0) return 0;
  int32_t j = (i + 1) % nodes.Count();
  const CurveNode a = nodes[i];
  const CurveNode b = nodes[j];
  DPoint p0{a.x, a.y}, p1{a.outX, a.outY}, p2{b.inX, b.inY}, p3{b.x, b.y};
  DPoint p01 = Lerp(p0, p1, t), p12 = Lerp(p1, p2, t), p23 = Lerp(p2, p3, t);
  DPoint p012 = Lerp(p01, p12, t), p123 = Lerp(p12, p23, t);
  DPoint mid = Lerp(p012, p123, t);
  CurveNode split;
  split.x = float(mid.x);
  split.y = float(mid.y);
  split.inX = float(p012.x);
  split.inY = float(p012.y);
  split.outX = float(p123.x);
  split.outY = float(p123.y);
  split.corner = 0;
  if (!nodes.Insert(i + 1, split)) return 0;
  // Inserting after i leaves i in place; j moved up by one unless it is node 0.
  int32_t second = j == 0 ? 0 : i + 2;
  nodes[i].outX = float(p01.x);
  nodes[i].outY = float(p01.y);
  nodes[second].inX = float(p23.x);
  nodes[second].inY = float(p23.y);
  InvalidateBounds();
  return 1;
}

int32_t CurveShape::DeleteNode(int32_t index) {
  if (index < 0 || index >= nodes.Count()) return 0;
  nodes.RemoveAt(index);
  InvalidateBounds();
  return 1;
}

void CurveShape::ToggleCorner(int32_t index) {
  if (index < 0 || index >= nodes.Count()) return;
  nodes[index].corner ^= 1;
  InvalidateBounds();
}

void CurveShape::Close() {
  closed = 1;
  InvalidateBounds();
}

void CurveShape::Smooth() {
  SmoothNodes(nodes.Data(), nodes.Count(), closed);
  InvalidateBounds();
}

#include "model/GraphicsState.h"

#include <algorithm>
#include <cmath>

#include "model/DebugLog.h"

namespace {

PathPainter* gPainter = nullptr;

constexpr double kDegToRad = kPi / 180.0;
// Subdivision depth limit: far below what any on-screen curve needs, but it keeps a curve
// with NaN or huge coordinates from recursing without end.
constexpr int kMaxCurveDepth = 16;
// Device coordinates are clamped here before rounding so the conversion stays defined.
constexpr double kDeviceLimit = 1.0e9;

struct DPoint {
  double x = 0;
  double y = 0;
};

DPoint ToD(const Point& p) { return DPoint{p.x, p.y}; }

int32_t RoundDevice(double v) {
  if (std::isnan(v)) return 0;
  v = std::clamp(v, -kDeviceLimit, kDeviceLimit);
  return int32_t(v + 0.5);
}

gdi::DevPoint RoundPoint(const DPoint& p) {
  return gdi::DevPoint{RoundDevice(p.x), RoundDevice(p.y)};
}

DPoint TransformD(const MatrixD& m, double x, double y) {
  return DPoint{m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty};
}

// Brings an angle into 0..360 (both ends included).
double NormalizeAngle(double a) {
  if (a > 360.0) {
    a = std::fmod(a, 360.0);
    if (a == 0.0) a = 360.0;
  } else if (a < 0.0) {
    a = std::fmod(a, 360.0);
    if (a < 0.0) a += 360.0;
  }
  return a;
}

// A point as one pair of lanes: each lane's arithmetic is the same IEEE operation as on a lone
// double, so the flattened points are those of plain doubles, with half the instructions.
using Lanes = double __attribute__((vector_size(16)));

Lanes ToLanes(const DPoint& p) { return Lanes{p.x, p.y}; }

// Is the curve flat enough to stand for its chord?
bool CurveIsFlat(Lanes p0, Lanes p1, Lanes p2, Lanes p3) {
  const Lanes chord = p3 - p0;  // cx, cy
  const Lanes square = chord * chord;
  const double chord2 = square[0] + square[1];
  const Lanes e1 = p1 - p0, e2 = p2 - p0;
  if (chord2 < 0.001) {
    // End points coincide: flat only when the controls sit at the end points too, so a closed
    // loop drawn as one segment is still subdivided instead of vanishing.
    const Lanes s1 = e1 * e1, s2 = e2 * e2;
    return s1[0] + s1[1] <= 1.0 && s2[0] + s2[1] <= 1.0;
  }
  // (p1.x - p0.x) * cy - (p1.y - p0.y) * cx, and the same for p2.
  const Lanes across = Lanes{chord[1], chord[0]};
  const Lanes t1 = e1 * across, t2 = e2 * across;
  const double c1 = t1[0] - t1[1], c2 = t2[0] - t2[1];
  return c1 * c1 <= chord2 && c2 * c2 <= chord2;
}

// The curve cut in halves until each piece is flat, its pieces' end points appended in order.
// Walked with a stack of the right halves still to do rather than by recursion: this runs for
// every curve of every redraw, and the points and their order are the same either way.
bool FlattenCurve(const DPoint& p0, const DPoint& p1, const DPoint& p2, const DPoint& p3,
                  GrowArray<gdi::DevPoint>* out, int32_t* count) {
  struct Piece {
    Lanes p0, p1, p2, p3;
    int depth;
  };
  Piece pending[kMaxCurveDepth];
  int waiting = 0;
  Piece c{ToLanes(p0), ToLanes(p1), ToLanes(p2), ToLanes(p3), 0};
  for (;;) {
    if (c.depth >= kMaxCurveDepth || CurveIsFlat(c.p0, c.p1, c.p2, c.p3)) {
      if (!out->Append(gdi::DevPoint{RoundDevice(c.p3[0]), RoundDevice(c.p3[1])})) return false;
      ++*count;
      if (waiting == 0) return true;
      c = pending[--waiting];
      continue;
    }
    const Lanes l1 = (c.p0 + c.p1) / 2;
    const Lanes l2 = (c.p0 + 2 * c.p1 + c.p2) / 4;
    const Lanes m = (c.p0 + 3 * c.p1 + 3 * c.p2 + c.p3) / 8;
    const Lanes r1 = (c.p1 + 2 * c.p2 + c.p3) / 4;
    const Lanes r2 = (c.p2 + c.p3) / 2;
    // Each level waits with at most one right half, so depth 16 needs 16 places.
    pending[waiting++] = Piece{m, r1, r2, c.p3, c.depth + 1};
    c = Piece{c.p0, l1, l2, m, c.depth + 1};
  }
}

// Exact test of a segment with integer end points against a closed axis-aligned rectangle:
// the bounding boxes must overlap and the rectangle's corners must not all lie strictly on one
// side of the segment's line.
}  // namespace

GraphicsState& TheGraphicsState() {
  static GraphicsState state;
  return state;
}

void SetPathPainter(PathPainter* painter) { gPainter = painter; }

PathPainter* CurrentPathPainter() { return gPainter; }

void ArcPiece(double cx, double cy, double r, double a1, double da, Point out[4]) {
  double s = a1 * kDegToRad;
  double e = (a1 + da) * kDegToRad;
  double h = (4.0 / 3.0) * r * std::tan(da * kDegToRad / 4.0);
  double x0 = cx + r * std::cos(s), y0 = cy + r * std::sin(s);
  double x3 = cx + r * std::cos(e), y3 = cy + r * std::sin(e);
  out[0] = Point{float(x0), float(y0)};
  out[1] = Point{float(x0 - h * std::sin(s)), float(y0 + h * std::cos(s))};
  out[2] = Point{float(x3 + h * std::sin(e)), float(y3 - h * std::cos(e))};
  out[3] = Point{float(x3), float(y3)};
}

int ArcPieces(double a1, double a2, double* starts, double* sweeps, int maxPieces) {
  if (!std::isfinite(a1) || !std::isfinite(a2)) return 0;
  a1 = NormalizeAngle(a1);
  a2 = NormalizeAngle(a2);
  double sweep = a2 - a1;
  while (sweep < 0) sweep += 360.0;
  int n = 0;
  double at = a1;
  while (sweep > 0) {
    double da = std::min(sweep, 90.0);
    if (n < maxPieces) {
      starts[n] = at;
      sweeps[n] = da;
    }
    ++n;
    at += da;
    sweep -= da;
  }
  return n;
}

GraphicsState::GraphicsState() = default;

void GraphicsState::gsave() { saves_.Append(st_); }

bool GraphicsState::grestore() {
  if (saves_.Empty()) {
    DebugLog("Stack underflow");
    return false;
  }
  st_ = saves_[saves_.Count() - 1];
  saves_.Truncate(saves_.Count() - 1);
  return true;
}

void GraphicsState::savematrix() { matrices_.Append(st_.ctm); }

void GraphicsState::pushidentity() {
  savematrix();
  setmatrix(MatrixD{});
}

bool GraphicsState::restorematrix() {
  if (matrices_.Empty()) {
    DebugLog("Stack underflow");
    return false;
  }
  setmatrix(matrices_[matrices_.Count() - 1]);
  matrices_.Truncate(matrices_.Count() - 1);
  return true;
}

void GraphicsState::currentmatrix(float out[6]) const {
  out[0] = float(st_.ctm.a);
  out[1] = float(st_.ctm.b);
  out[2] = float(st_.ctm.c);
  out[3] = float(st_.ctm.d);
  out[4] = float(st_.ctm.tx);
  out[5] = float(st_.ctm.ty);
}

// Like every other matrix change, the current point keeps its device position.
void GraphicsState::setmatrix(const MatrixD& m) {
  MatrixD old = st_.ctm;
  st_.ctm = m;
  ReexpressCurrentPoint(old);
}

void GraphicsState::translate(double tx, double ty) { concat(MatrixD{1, 0, 0, 1, tx, ty}); }

void GraphicsState::scale(double sx, double sy) { concat(MatrixD{sx, 0, 0, sy, 0, 0}); }

void GraphicsState::rotate(double degrees) {
  double r = degrees * kDegToRad;
  double c = std::cos(r), s = std::sin(r);
  concat(MatrixD{c, s, -s, c, 0, 0});
}

void GraphicsState::concat(const MatrixD& m) {
  const MatrixD old = st_.ctm;  // m may be the current matrix itself
  st_.ctm = Multiply(m, old);
  if (st_.cpDefined) ReexpressCurrentPoint(old);
}

void GraphicsState::concat(const Matrix& m) { concat(MatrixD{m.a, m.b, m.c, m.d, m.tx, m.ty}); }

Point GraphicsState::transform(double x, double y) const { return Transform(st_.ctm, x, y); }

Point GraphicsState::dtransform(double x, double y) const { return DTransform(st_.ctm, x, y); }

Point GraphicsState::itransform(double x, double y) const { return ITransform(st_.ctm, x, y); }

Point GraphicsState::idtransform(double x, double y) const {
  return DTransform(Invert(st_.ctm), x, y);
}

void GraphicsState::ReexpressCurrentPoint(const MatrixD& oldCtm) {
  if (!st_.cpDefined) return;
  DPoint dev = TransformD(oldCtm, st_.cpx, st_.cpy);
  DPoint user = TransformD(Invert(st_.ctm), dev.x, dev.y);
  st_.cpx = float(user.x);
  st_.cpy = float(user.y);
}

// The transform written out here, as in Transform, since every path point comes this way.
void GraphicsState::AddElement(int32_t kind, const Point* pts, int32_t n) {
  PathElement e;
  e.kind = kind;
  const MatrixD& m = st_.ctm;
  for (int32_t i = 0; i < n && i < 3; ++i) {
    const double x = pts[i].x, y = pts[i].y;
    e.p[i] = Point{float(m.a * x + m.c * y + m.tx), float(m.b * x + m.d * y + m.ty)};
  }
  path_.Append(e);
}

void GraphicsState::newpath() {
  path_.Clear();
  st_.cpDefined = 0;
}

void GraphicsState::moveto(float x, float y) {
  Point p{x, y};
  AddElement(kPathMoveTo, &p, 1);
  st_.cpx = x;
  st_.cpy = y;
  st_.cpDefined = 1;
}

// Without a current point, lineto and curveto start a subpath at their first point rather than
// leaving a segment that begins nowhere.
void GraphicsState::lineto(float x, float y) {
  if (!st_.cpDefined) {
    moveto(x, y);
    return;
  }
  Point p{x, y};
  AddElement(kPathLineTo, &p, 1);
  st_.cpx = x;
  st_.cpy = y;
}

void GraphicsState::curveto(float x1, float y1, float x2, float y2, float x3, float y3) {
  if (!st_.cpDefined) moveto(x1, y1);
  Point p[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
  AddElement(kPathCurveTo, p, 3);
  st_.cpx = x3;
  st_.cpy = y3;
}

void GraphicsState::closepath() {
  if (!st_.cpDefined) return;
  AddElement(kPathClosePath, nullptr, 0);
  // The current point goes back to the start of the subpath just closed.
  for (int32_t i = path_.Count() - 1; i >= 0; --i) {
    if (path_[i].kind == kPathMoveTo) {
      Point user = itransform(path_[i].p[0].x, path_[i].p[0].y);
      st_.cpx = user.x;
      st_.cpy = user.y;
      break;
    }
  }
}

void GraphicsState::rmoveto(float dx, float dy) { moveto(st_.cpx + dx, st_.cpy + dy); }

void GraphicsState::rlineto(float dx, float dy) { lineto(st_.cpx + dx, st_.cpy + dy); }

int ArcSteps(float cx, float cy, float r, float a1, float a2, ArcStep out[kMaxArcSteps]) {
  int n = 0;
  auto move = [&](float x, float y) { out[n++] = ArcStep{1, {{x, y}, {}, {}}}; };
  auto curve = [&](float x1, float y1, float x2, float y2, float x3, float y3) {
    out[n++] = ArcStep{0, {{x1, y1}, {x2, y2}, {x3, y3}}};
  };
  if (a1 == 0 && a2 == 360) {
    const float k = float(r * kQuarterCircle);
    move(cx + r, cy);
    curve(cx + r, cy + k, cx + k, cy + r, cx, cy + r);
    curve(cx - k, cy + r, cx - r, cy + k, cx - r, cy);
    curve(cx - r, cy - k, cx - k, cy - r, cx, cy - r);
    curve(cx + k, cy - r, cx + r, cy - k, cx + r, cy);
    return n;
  }
  if (a1 < 0) a1 += 360;
  if (a2 < 0) a2 += 360;
  auto run = [&](double from, double to, bool withMove) {
    double starts[8], sweeps[8];
    int pieces = std::min(ArcPieces(from, to, starts, sweeps, 8), 8);
    for (int i = 0; i < pieces; ++i) {
      Point p[4];
      ArcPiece(cx, cy, r, starts[i], sweeps[i], p);
      if (i == 0 && withMove) move(p[0].x, p[0].y);
      curve(p[1].x, p[1].y, p[2].x, p[2].y, p[3].x, p[3].y);
    }
  };
  if (a1 > a2) {
    run(a1, 360, true);
    run(0, a2, false);
  } else {
    run(a1, a2, true);
  }
  return n;
}

void GraphicsState::arc(float cx, float cy, float r, float a1, float a2) {
  ArcStep steps[kMaxArcSteps];
  arcsteps(steps, ArcSteps(cx, cy, r, a1, a2, steps));
}

void GraphicsState::arcsteps(const ArcStep* steps, int count) {
  for (int i = 0; i < count; ++i) {
    const Point* p = steps[i].p;
    if (steps[i].move) {
      moveto(p[0].x, p[0].y);
    } else {
      curveto(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
    }
  }
}

void GraphicsState::rectpath(float x1, float y1, float x2, float y2) {
  moveto(x1, y1);
  lineto(x2, y1);
  lineto(x2, y2);
  lineto(x1, y2);
  closepath();
}

// The device width is the length of the user width laid along the x axis, so the default
// [1 0 0 -1] matrix with a uniform zoom z gives width * z. When that length lies along a device
// axis it is the one coordinate's size, exactly what hypot would answer, without its cost.
void GraphicsState::setlinewidth(float userWidth) {
  const MatrixD& m = st_.ctm;
  const double x = userWidth, y = 0;
  const Point d{float(m.a * x + m.c * y), float(m.b * x + m.d * y)};
  if (d.y == 0) {
    st_.lineWidth = float(std::fabs(double(d.x)));
  } else if (d.x == 0) {
    st_.lineWidth = float(std::fabs(double(d.y)));
  } else {
    st_.lineWidth = float(std::hypot(double(d.x), double(d.y)));
  }
}

void GraphicsState::setrgbcolor(float r, float g, float b) {
  st_.red = r;
  st_.green = g;
  st_.blue = b;
}

void GraphicsState::setpattern(int32_t pattern) { st_.pattern = pattern; }

void GraphicsState::setdash(int32_t dash) { st_.dash = dash; }

void GraphicsState::stroke(int mode) {
  if (PathPainter* p = CurrentPathPainter()) p->Stroke(*this, mode);
  newpath();
}

void GraphicsState::fill(int mode) {
  if (PathPainter* p = CurrentPathPainter()) p->Fill(*this, mode);
  newpath();
}

void GraphicsState::image(const ImageData& image) {
  if (PathPainter* p = CurrentPathPainter()) p->Image(*this, image);
}

bool GraphicsState::flatten() {
  flat_.Clear();
  flatCounts_.Clear();
  int32_t count = 0;    // points of the open polyline
  int32_t first = 0;    // index of its first point in flat_
  bool closed = false;  // the last element was a closepath
  DPoint current;       // device position, unrounded
  DPoint start;         // start of the current subpath
  bool ok = true;

  auto finish = [&]() {
    if (count > 0 && !flatCounts_.Append(count)) ok = false;
    count = 0;
  };
  auto begin = [&](const DPoint& p) {
    finish();
    first = flat_.Count();
    start = p;
    current = p;
    closed = false;
    if (!flat_.Append(RoundPoint(p))) ok = false;
    count = 1;
  };
  // After a closepath, drawing goes on in a new polyline from the closed subpath's start.
  auto ensureOpen = [&](const DPoint& fallback) {
    if (count == 0) {
      begin(fallback);
    } else if (closed) {
      begin(start);
    }
  };

  for (const PathElement& e : path_) {
    if (!ok) break;
    switch (e.kind) {
      case kPathMoveTo:
        begin(ToD(e.p[0]));
        break;
      case kPathLineTo:
        ensureOpen(ToD(e.p[0]));
        current = ToD(e.p[0]);
        if (!flat_.Append(RoundPoint(current))) ok = false;
        ++count;
        break;
      case kPathCurveTo:
        ensureOpen(ToD(e.p[0]));
        if (!FlattenCurve(current, ToD(e.p[0]), ToD(e.p[1]), ToD(e.p[2]), &flat_, &count))
          ok = false;
        current = ToD(e.p[2]);
        break;
      case kPathClosePath:
        if (count == 0 || closed) break;
        if (!flat_.Append(gdi::DevPoint(flat_[first]))) ok = false;
        ++count;
        current = start;
        closed = true;
        break;
      default:
        break;
    }
  }
  finish();
  if (!ok) {
    flat_.Clear();
    flatCounts_.Clear();
  }
  return ok;
}

bool GraphicsState::PointInPath(float x, float y, bool closeOpenSubpath) {
  if (!flatten() || flatCounts_.Empty()) return false;
  int32_t n = flatCounts_[0];
  if (n < 3) return false;
  Point t = transform(x, y);
  double tx = t.x, ty = t.y;
  bool closed = flat_[0].x == flat_[n - 1].x && flat_[0].y == flat_[n - 1].y;
  int32_t edges = closeOpenSubpath && !closed ? n : n - 1;
  int crossings = 0;
  for (int32_t i = 0; i < edges; ++i) {
    const gdi::DevPoint& p = flat_[i];
    const gdi::DevPoint& q = flat_[i + 1 < n ? i + 1 : 0];
    double px = p.x, py = p.y, qx = q.x, qy = q.y;
    if ((py >= ty) == (qy >= ty)) continue;
    bool pRight = px >= tx, qRight = qx >= tx;
    if (pRight && qRight) {
      ++crossings;
    } else if (pRight != qRight) {
      double xi = px + (ty - py) * (qx - px) / (qy - py);
      if (xi >= tx) ++crossings;
    }
  }
  return (crossings & 1) != 0;
}

bool GraphicsState::PathTouchesRect(float x1, float y1, float x2, float y2) {
  if (!flatten() || flatCounts_.Empty()) return false;
  int32_t n = flatCounts_[0];
  if (n < 2) return false;
  Point a = transform(x1, y1);
  Point b = transform(x2, y2);
  double rx1 = std::min(a.x, b.x), rx2 = std::max(a.x, b.x);
  double ry1 = std::min(a.y, b.y), ry2 = std::max(a.y, b.y);
  for (int32_t i = 0; i + 1 < n; ++i) {
    if (SegmentMeetsRect(flat_[i].x, flat_[i].y, flat_[i + 1].x, flat_[i + 1].y, rx1, ry1, rx2,
                         ry2))
      return true;
  }
  return false;
}

void GraphicsState::Reset() {
  path_.Clear();
  flat_.Clear();
  flatCounts_.Clear();
  saves_.Clear();
  matrices_.Clear();
  st_ = GState();
}

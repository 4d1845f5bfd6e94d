#include "platform/gdi/qt/Spans.h"

#include <algorithm>
#include <cmath>

namespace gdi {

namespace {

// Coordinates beyond this many pixels are held here, so that the fixed-point steps stay within
// 64 bits; such figures are far outside any image.
constexpr double kLimit = 1 << 22;

// Rounded as the painter rounds, halves away from zero.
int32_t Fixed26(double v) {
  const double d = std::clamp(v, -kLimit, kLimit) * 64;
  return d >= 0 ? int32_t(d + 0.5) : int32_t(d - 0.5);
}

// Halved until both control points lie within a quarter pixel (measured against the chord's
// Manhattan length) of the chord, at most nine times.
constexpr double kFlatness = 0.25;
constexpr int kMaxHalvings = 9;

struct Cubic {
  double x1, y1, x2, y2, x3, y3, x4, y4;
};

// De Casteljau halving: `first` takes the first half, `second` (which may be `c` itself) the
// second.
void Halve(const Cubic& c, Cubic* first, Cubic* second) {
  const double cx = (c.x2 + c.x3) * .5, cy = (c.y2 + c.y3) * .5;
  const double x1 = c.x1, y1 = c.y1, x4 = c.x4, y4 = c.y4;
  const double ax = (c.x1 + c.x2) * .5, ay = (c.y1 + c.y2) * .5;
  const double bx = (c.x3 + c.x4) * .5, by = (c.y3 + c.y4) * .5;
  first->x1 = x1;
  first->y1 = y1;
  first->x2 = ax;
  first->y2 = ay;
  first->x3 = (ax + cx) * .5;
  first->y3 = (ay + cy) * .5;
  second->x4 = x4;
  second->y4 = y4;
  second->x3 = bx;
  second->y3 = by;
  second->x2 = (bx + cx) * .5;
  second->y2 = (by + cy) * .5;
  first->x4 = second->x1 = (first->x3 + second->x2) * .5;
  first->y4 = second->y1 = (first->y3 + second->y2) * .5;
}

}  // namespace

void Spans::Clear() {
  points_.clear();
  figures_.clear();
  figureBegin_ = 0;
  edges_.clear();
  top_ = INT32_MAX;
  bottom_ = INT32_MIN;
}

void Spans::EndFigure(bool closed) {
  if (points_.size() > figureBegin_) figures_.push_back({figureBegin_, points_.size(), closed});
  figureBegin_ = points_.size();
}

void Spans::MoveTo(double x, double y) {
  EndFigure(false);
  points_.push_back({x, y});
}

void Spans::LineTo(double x, double y) {
  if (points_.size() == figureBegin_) points_.push_back({x, y});  // a line without a start
  points_.push_back({x, y});
}

void Spans::CubicTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  if (points_.size() == figureBegin_) points_.push_back({x1, y1});
  const Point start = points_.back();
  Cubic stack[kMaxHalvings + 1];
  int levels[kMaxHalvings + 1];
  stack[0] = {start.x, start.y, x1, y1, x2, y2, x3, y3};
  levels[0] = kMaxHalvings;
  int top = 0;
  while (top >= 0) {
    Cubic& b = stack[top];
    const double dy = b.y4 - b.y1, dx = b.x4 - b.x1;
    double l = std::abs(dx) + std::abs(dy), d;
    if (l > 1.) {
      d = std::abs(dx * (b.y1 - b.y2) - dy * (b.x1 - b.x2)) +
          std::abs(dx * (b.y1 - b.y3) - dy * (b.x1 - b.x3));
    } else {
      d = std::abs(b.x1 - b.x2) + std::abs(b.y1 - b.y2) + std::abs(b.x1 - b.x3) +
          std::abs(b.y1 - b.y3);
      l = 1.;
    }
    if (d < kFlatness * l || levels[top] == 0) {
      points_.push_back({b.x4, b.y4});
      --top;
    } else {
      // The second half stays below, the first is taken next.
      Halve(b, &stack[top + 1], &b);
      levels[top + 1] = --levels[top];
      ++top;
    }
  }
}

void Spans::CloseFigure() {
  if (points_.size() > figureBegin_) {
    const Point start = points_[figureBegin_];
    EndFigure(true);
    points_.push_back(start);  // the next figure starts where this one did
    figureBegin_ = points_.size() - 1;
  }
}

// One straight edge, as the painter's scan converter keeps it: rows whose centre lies below
// its top end (and not below its bottom end), its x at the first row's centre in 16.16.
void Spans::AddLine(double fax, double fay, double fbx, double fby) {
  int32_t ax = Fixed26(fax), ay = Fixed26(fay), bx = Fixed26(fbx), by = Fixed26(fby);
  int32_t winding = 1;
  if (ay > by) {
    std::swap(ax, bx);
    std::swap(ay, by);
    winding = -1;
  }
  const int32_t top = (ay + 32) >> 6, bottom = (by - 32) >> 6;
  if (top > bottom) return;
  const int64_t a = 32768 + (int64_t(ax) << 10);
  Edge e{a, 0, top, bottom, winding};
  if (bx != ax) {
    const double slope = (bx - ax) / double(by - ay);
    e.delta = int64_t(slope * 65536.);
    e.x = a + ((e.delta * ((int64_t(top) << 16) + 32768 - (int64_t(ay) << 10))) >> 16);
  }
  edges_.push_back(e);
  top_ = std::min(top_, top);
  bottom_ = std::max(bottom_, bottom + 1);
}

void Spans::FillPath(const Target& target, bool winding, uint32_t color, const uint32_t* pattern) {
  EndFigure(false);
  edges_.clear();
  for (const Figure& f : figures_) {
    const Point* p = &points_[f.begin];
    const size_t n = f.end - f.begin;
    for (size_t i = 0; i + 1 < n; ++i) AddLine(p[i].x, p[i].y, p[i + 1].x, p[i + 1].y);
    if (n > 1) AddLine(p[n - 1].x, p[n - 1].y, p[0].x, p[0].y);
  }
  Fill(target, winding, color, pattern);
}

// A convex piece of a stroke, turned to wind one way so that overlapping pieces add up.
void Spans::AddPiece(const Point* p, int n) {
  double area = 0;
  for (int i = 0; i < n; ++i) {
    const Point& a = p[i];
    const Point& b = p[(i + 1) % n];
    area += a.x * b.y - b.x * a.y;
  }
  if (area == 0) return;
  double top = p[0].y, bottom = p[0].y;
  for (int i = 1; i < n; ++i) {
    top = std::min(top, p[i].y);
    bottom = std::max(bottom, p[i].y);
  }
  if (bottom < stroke_.target.top - 1 || top > stroke_.target.bottom + 1) return;
  for (int i = 0; i < n; ++i) {
    const int j = (i + 1) % n;
    if (area > 0) {
      AddLine(p[i].x, p[i].y, p[j].x, p[j].y);
    } else {
      AddLine(p[j].x, p[j].y, p[i].x, p[i].y);
    }
  }
  // Painting a piece at a time gives the pixels of the pieces' union: a pixel lies inside the
  // union exactly when it lies between some piece's two crossings of its row.
  Fill(stroke_.target, true, stroke_.color);
}

void Spans::StrokeFigure(const Point* p, size_t n, bool closed, double half, double miterLimit) {
  const size_t segments = closed ? n : n - 1;
  if (n < 2) return;
  auto normal = [&](size_t i, Point* unit) {
    const Point& a = p[i];
    const Point& b = p[(i + 1) % n];
    const double dx = b.x - a.x, dy = b.y - a.y, len = std::sqrt(dx * dx + dy * dy);
    *unit = {dx / len, dy / len};
    return Point{-dy / len * half, dx / len * half};
  };
  Point unit{}, previousUnit{}, previousNormal{};
  for (size_t i = 0; i < segments; ++i) {
    const Point& a = p[i];
    const Point& b = p[(i + 1) % n];
    const Point nv = normal(i, &unit);
    const Point quad[4] = {{a.x + nv.x, a.y + nv.y},
                           {b.x + nv.x, b.y + nv.y},
                           {b.x - nv.x, b.y - nv.y},
                           {a.x - nv.x, a.y - nv.y}};
    AddPiece(quad, 4);
    // The join at this segment's start, with the one before (the last one when closed).
    const bool hasPrevious = i > 0 || closed;
    if (hasPrevious) {
      Point pu = previousUnit, pn = previousNormal;
      if (i == 0) pn = normal(segments - 1, &pu);
      const double cross = pu.x * unit.y - pu.y * unit.x;
      const double cosine = pu.x * unit.x + pu.y * unit.y;
      if (cross != 0 || cosine < 0) {
        const double s = cross > 0 ? -1 : 1;  // the outer side, where the walls part
        const Point outA{a.x + s * pn.x, a.y + s * pn.y}, outB{a.x + s * nv.x, a.y + s * nv.y};
        // The walls meet at the tip unless it lies more than `miterLimit` widths beyond their
        // ends; then each wall goes on that far and the join is cut across.
        const double reach = miterLimit * 2 * half;
        const double k = s / (1 + cosine);
        const Point tip{a.x + (pn.x + nv.x) * k, a.y + (pn.y + nv.y) * k};
        if (cosine > -1 && std::hypot(tip.x - outA.x, tip.y - outA.y) <= reach) {
          const Point join[4] = {a, outA, tip, outB};
          AddPiece(join, 4);
        } else {
          const Point join[5] = {a,
                                 outA,
                                 {outA.x + pu.x * reach, outA.y + pu.y * reach},
                                 {outB.x - unit.x * reach, outB.y - unit.y * reach},
                                 outB};
          AddPiece(join, 5);
        }
      }
    }
    previousUnit = unit;
    previousNormal = nv;
  }
}

void Spans::Stroke(const Target& target, double width, double miterLimit, uint32_t color) {
  EndFigure(false);
  edges_.clear();
  stroke_ = {target, color};
  const double half = width / 2;
  for (const Figure& f : figures_) {
    polyline_.clear();
    for (size_t i = f.begin; i < f.end; ++i) {
      const Point& q = points_[i];
      if (polyline_.empty() || q.x != polyline_.back().x || q.y != polyline_.back().y)
        polyline_.push_back(q);
    }
    size_t n = polyline_.size();
    if (f.closed && n > 1 && polyline_[0].x == polyline_[n - 1].x &&
        polyline_[0].y == polyline_[n - 1].y)
      --n;
    StrokeFigure(polyline_.data(), n, f.closed, half, miterLimit);
  }
}

void Spans::Fill(const Target& t, bool winding, uint32_t color, const uint32_t* pattern) {
  const int32_t first = std::max(t.top, top_), last = std::min(t.bottom, bottom_);
  if (first >= last || t.width <= 0) {
    edges_.clear();
    top_ = INT32_MAX;
    bottom_ = INT32_MIN;
    return;
  }
  std::sort(edges_.begin(), edges_.end(),
            [](const Edge& a, const Edge& b) { return a.top < b.top; });
  const int mask = winding ? ~0 : 1;
  const int64_t right = t.width;
  active_.clear();
  size_t next = 0;
  for (; next < edges_.size() && edges_[next].top <= first; ++next) {
    Edge& e = edges_[next];
    if (e.bottom < first) continue;
    e.x += e.delta * (first - e.top);  // the same steps the rows above would have taken
    active_.push_back(&e);
  }
  for (int32_t y = first; y < last; ++y) {
    for (; next < edges_.size() && edges_[next].top == y; ++next) active_.push_back(&edges_[next]);
    if (active_.empty()) {
      if (next == edges_.size()) break;
      continue;
    }
    for (size_t i = 1; i < active_.size(); ++i) {
      Edge* e = active_[i];
      size_t j = i;
      for (; j > 0 && e->x < active_[j - 1]->x; --j) active_[j] = active_[j - 1];
      active_[j] = e;
    }
    uint32_t* row = t.pixels + t.stride * y;
    const uint32_t* cell = pattern ? pattern + (y & 7) * 8 : nullptr;
    int64_t x = 0;
    int count = 0;
    size_t kept = 0;
    for (size_t i = 0; i < active_.size(); ++i) {
      Edge* e = active_[i];
      const int64_t at = std::clamp<int64_t>(e->x >> 16, 0, right);
      if ((count & mask) && at > x) {
        if (cell) {
          for (int64_t k = x; k < at; ++k) row[k] = cell[k & 7];
        } else {
          std::fill(row + x, row + at, color);
        }
      }
      x = at;
      count += e->winding;
      if (e->bottom != y) {
        e->x += e->delta;
        active_[kept++] = e;
      }
    }
    active_.resize(kept);
  }
  edges_.clear();
  top_ = INT32_MAX;
  bottom_ = INT32_MIN;
}

}  // namespace gdi

#include "platform/gdi/qt/Spans.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gdi {

namespace {

// Halved until both control points lie within a quarter pixel (measured against the chord's
// Manhattan length) of the chord, at most nine times.
constexpr double kFlatness = 0.25;
constexpr int kMaxHalvings = 9;
// Turns of less than about 25 degrees inside a flattened curve are bevelled.
constexpr double kSmooth = 0.9;

// A point as one pair of lanes: each lane's arithmetic is the same IEEE operation as on a lone
// double, so the halves are those of plain doubles, with half the instructions.
using Lanes = double __attribute__((vector_size(16)));

struct Cubic {
  Lanes p1, p2, p3, p4;
};

// De Casteljau halving: `first` takes the first half, `second` (which may be `c` itself) the
// second.
void Halve(const Cubic& c, Cubic* first, Cubic* second) {
  const Lanes m = (c.p2 + c.p3) * .5, a = (c.p1 + c.p2) * .5, b = (c.p3 + c.p4) * .5;
  const Lanes p1 = c.p1, p4 = c.p4;
  first->p1 = p1;
  first->p2 = a;
  first->p3 = (a + m) * .5;
  second->p4 = p4;
  second->p3 = b;
  second->p2 = (b + m) * .5;
  first->p4 = second->p1 = (first->p3 + second->p2) * .5;
}

Lanes Abs(Lanes v) { return Lanes{std::abs(v[0]), std::abs(v[1])}; }

}  // namespace

void Spans::Clear() {
  points_.clear();
  figures_.clear();
  figureBegin_ = 0;
  extent_ = 0;
  finite_ = true;
}

void Spans::EndFigure(bool closed) {
  if (points_.size() > figureBegin_) figures_.push_back({figureBegin_, points_.size(), closed});
  figureBegin_ = points_.size();
}

void Spans::MoveTo(double x, double y) {
  EndFigure(false);
  Extend(x, y);
  points_.push_back({x, y});
}

void Spans::LineTo(double x, double y) {
  Extend(x, y);
  if (points_.size() == figureBegin_) points_.push_back({x, y});  // a line without a start
  points_.push_back({x, y});
}

void Spans::CubicTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  Extend(x1, y1);
  Extend(x2, y2);
  Extend(x3, y3);
  if (points_.size() == figureBegin_) points_.push_back({x1, y1});
  const Point start = points_.back();
  Cubic stack[kMaxHalvings + 1];
  int levels[kMaxHalvings + 1];
  stack[0] = {Lanes{start.x, start.y}, Lanes{x1, y1}, Lanes{x2, y2}, Lanes{x3, y3}};
  levels[0] = kMaxHalvings;
  int top = 0;
  while (top >= 0) {
    Cubic& b = stack[top];
    const Lanes chord = b.p4 - b.p1;  // dx, dy
    const Lanes e1 = b.p1 - b.p2, e2 = b.p1 - b.p3;
    const Lanes size = Abs(chord);
    double l = size[0] + size[1], d;
    if (l > 1.) {
      // dx * (y1 - y2) - dy * (x1 - x2), and the same for the second control point.
      const Lanes across = Lanes{chord[1], chord[0]};
      const Lanes t1 = e1 * across, t2 = e2 * across;
      d = std::abs(t1[1] - t1[0]) + std::abs(t2[1] - t2[0]);
    } else {
      const Lanes a1 = Abs(e1), a2 = Abs(e2);
      d = a1[0] + a1[1] + a2[0] + a2[1];
      l = 1.;
    }
    if (d < kFlatness * l || levels[top] == 0) {
      points_.push_back({b.p4[0], b.p4[1], top > 0});  // all but the last end inside the curve
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

// A piece covers the rows whose centre lies below its upper end and not below its lower end;
// the next piece of a chain starts where the last ended, so the chain covers the rows between
// its ends.
inline void Spans::AddChain(int32_t begin, int32_t end, int32_t winding) {
  const int32_t upper = winding > 0 ? begin : end, lower = winding > 0 ? end : begin;
  const int32_t top = (corners_[size_t(upper)].y + 32) >> 6;
  const int32_t bottom = (corners_[size_t(lower)].y - 32) >> 6;
  if (top <= bottom) chains_.push_back({top, bottom, upper, winding});
}

// Splits the outline into chains where it turns from going down to going up or back; level
// pieces (repeated corners too) cross no row and split nothing.
void Spans::CloseOutline() {
  const size_t begin = outlineBegin_, end = corners_.size();
  if (end - begin > 1) {
    corners_.push_back(corners_[begin]);
    const Corner* c = corners_.data();
    int32_t winding = 0, chainBegin = 0, chainEnd = 0;
    for (size_t i = begin + 1; i <= end; ++i) {
      const int32_t dy = c[i].y - c[i - 1].y;
      if (dy == 0) continue;
      const int32_t w = dy > 0 ? 1 : -1;
      if (w != winding) {
        if (winding) AddChain(chainBegin, chainEnd, winding);
        chainBegin = int32_t(i - 1);
        winding = w;
      }
      chainEnd = int32_t(i);
    }
    if (winding) AddChain(chainBegin, chainEnd, winding);
  }
  outlineBegin_ = corners_.size();
}

// Moves `a` on to the next piece of its chain that crosses a row's centre, kept as the
// painter's scan converter keeps an edge: its x at its first row's centre in 16.16 and the
// step per row. Returns that first row.
inline int32_t Spans::Enter(Active& a) const {
  for (;;) {
    const Corner p = corners_[size_t(a.corner)];
    a.corner += a.winding;
    const Corner q = corners_[size_t(a.corner)];
    const int32_t top = (p.y + 32) >> 6, bottom = (q.y - 32) >> 6;
    if (top > bottom) continue;
    a.x = 32768 + (int64_t(p.x) << 10);
    a.delta = 0;
    if (q.x != p.x) {
      const double slope = (q.x - p.x) / double(q.y - p.y);
      a.delta = int64_t(slope * 65536.);
      a.x += (a.delta * ((int64_t(top) << 16) + 32768 - (int64_t(p.y) << 10))) >> 16;
    }
    a.pieceBottom = bottom;
    return top;
  }
}

void Spans::FillPath(const Target& target, bool winding, uint32_t color, const uint32_t* pattern) {
  EndFigure(false);
  corners_.clear();
  chains_.clear();
  outlineBegin_ = 0;
  for (const Figure& f : figures_) {
    for (size_t i = f.begin; i < f.end; ++i) To(points_[i].x, points_[i].y);
    CloseOutline();
  }
  Fill(target, winding, color, pattern);
}

// One wall of a stroke: the polyline's left side (the side of (-dy, dx)) offset by `half`,
// walked from its first point to its last, with the joins on that side: the miter (or the cut
// one) where the walls part; where they cross, the crossing itself when it lies on both walls,
// else a detour through the corner. Together with the wall walked back along the other side
// this gives the outline the painter's stroker makes; filled with the non-zero rule it covers
// the pen's area once or more, and nothing else.
void Spans::Wall(const Point* p, size_t n, bool closed, bool backward, double half,
                 double miterLimit) {
  const size_t segments = closed ? n : n - 1;
  const double reach = miterLimit * 2 * half;
  // Walked back, a segment's side is the forward one turned about.
  auto side = [&](size_t i) {
    if (!backward) return sides_[i];
    Side s = sides_[i + 2 <= n ? n - 2 - i : n - 1];
    s.unit = {-s.unit.x, -s.unit.y};
    s.normal = {-s.normal.x, -s.normal.y};
    return s;
  };
  Side s1 = side(closed ? segments - 1 : 0);
  double cut = 0;
  if (!closed) To(p[0].x + s1.normal.x, p[0].y + s1.normal.y);
  for (size_t i = 0; i < segments; ++i) {
    const Point& v = p[i];
    const Side s2 = side(i);
    double next = 0;  // how much of this segment's wall the join at its start cuts off
    if (i > 0 || closed) {
      const Vector &u1 = s1.unit, &u2 = s2.unit, &n1 = s1.normal, &n2 = s2.normal;
      const Vector a{v.x + n1.x, v.y + n1.y}, b{v.x + n2.x, v.y + n2.y};
      const double cross = u1.x * u2.y - u1.y * u2.x, cosine = u1.x * u2.x + u1.y * u2.y;
      if (cross > 0) {
        // The walls cross this far before the corner's offset points. Inside a flattened
        // curve, cut there when that leaves both walls their direction (the last one's start
        // may be cut already): the same area with two edges fewer for each of the many small
        // joins. Elsewhere the detour keeps the painter's edges exactly.
        const double back = half * cross / (1 + cosine);
        if (v.smooth && i > 0 && back + cut <= s1.length && back <= s2.length) {
          To(a.x - u1.x * back, a.y - u1.y * back);
          next = back;
        } else {
          To(a.x, a.y);
          To(v.x, v.y);
          To(b.x, b.y);
        }
      } else if (cross < 0 || cosine < 0) {
        const double k = 1 / (1 + cosine);
        const Vector tip{v.x + (n1.x + n2.x) * k, v.y + (n1.y + n2.y) * k};
        To(a.x, a.y);
        if (v.smooth && cosine > kSmooth) {
          // Between pieces of a flattened curve the miter's tip lies within a sliver of a
          // pixel of the bevel.
        } else if (cosine > -1 && std::hypot(tip.x - a.x, tip.y - a.y) <= reach) {
          To(tip.x, tip.y);
        } else {
          To(a.x + u1.x * reach, a.y + u1.y * reach);
          To(b.x - u2.x * reach, b.y - u2.y * reach);
        }
        To(b.x, b.y);
      } else {
        To(a.x, a.y);
      }
    }
    s1 = s2;
    cut = next;
  }
  if (!closed) {
    const Point& z = p[n - 1];
    To(z.x + s1.normal.x, z.y + s1.normal.y);
  }
}

void Spans::Stroke(const Target& target, double width, double miterLimit, uint32_t color) {
  EndFigure(false);
  corners_.clear();
  chains_.clear();
  outlineBegin_ = 0;
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
    if (n < 2) continue;
    const size_t segments = f.closed ? n : n - 1;
    sides_.resize(segments);
    for (size_t i = 0; i < segments; ++i) {
      const Point& a = polyline_[i];
      const Point& b = polyline_[i + 1 < n ? i + 1 : 0];
      const double dx = b.x - a.x, dy = b.y - a.y, len = std::sqrt(dx * dx + dy * dy);
      sides_[i] = {{dx / len, dy / len}, {-dy / len * half, dx / len * half}, len};
    }
    // Out along one side and back along the other: a closed figure's walls are two outlines,
    // an open figure's make one with its flat ends.
    Wall(polyline_.data(), n, f.closed, false, half, miterLimit);
    if (f.closed) CloseOutline();
    std::reverse(polyline_.begin(), polyline_.begin() + long(n));
    Wall(polyline_.data(), n, f.closed, true, half, miterLimit);
    CloseOutline();
  }
  Fill(target, true, color);
}

namespace {

// Pixels x .. at - 1 of a row, in `color` or with `cell` the pattern's row repeating every
// eight pixels from the image's left.
void Paint(uint32_t* row, const uint32_t* cell, int64_t x, int64_t at, uint32_t color) {
  if (!cell) {
    std::fill(row + x, row + at, color);
    return;
  }
  for (; x < at && (x & 7); ++x) row[x] = cell[x & 7];
  for (; x + 8 <= at; x += 8) std::memcpy(row + x, cell, 8 * sizeof *cell);
  for (; x < at; ++x) row[x] = cell[x & 7];
}

}  // namespace

void Spans::Fill(const Target& t, bool winding, uint32_t color, const uint32_t* pattern) {
  int32_t rowsTop = INT32_MAX, rowsEnd = INT32_MIN;
  for (const Chain& c : chains_) {
    rowsTop = std::min(rowsTop, c.top);
    rowsEnd = std::max(rowsEnd, c.bottom + 1);
  }
  const int32_t first = std::max(t.top, rowsTop), last = std::min(t.bottom, rowsEnd);
  if (first >= last || t.width <= 0) return;
  std::sort(chains_.begin(), chains_.end(),
            [](const Chain& a, const Chain& b) { return a.top < b.top; });
  const int mask = winding ? ~0 : 1;
  const int64_t right = t.width, stride = t.stride;
  uint32_t* const pixels = t.pixels;
  active_.resize(chains_.size());
  Active* const active = active_.data();
  size_t count = 0, next = 0;
  for (; next < chains_.size() && chains_[next].top <= first; ++next) {
    const Chain& c = chains_[next];
    if (c.bottom < first) continue;
    Active& a = active[count++];
    a = {0, 0, 0, c.bottom, c.winding, c.first};
    int32_t top = Enter(a);
    while (a.pieceBottom < first) top = Enter(a);
    a.x += a.delta * (first - top);  // the same steps the rows above would have taken
  }
  int32_t nextTop = next < chains_.size() ? chains_[next].top : INT32_MAX;
  for (int32_t y = first; y < last; ++y) {
    if (count == 2) {
      // Two chains (the sides of a convex figure, a ring above and below its hole) wind
      // opposite ways, the outlines being closed: between them lies one span a row under
      // either rule, whichever way they lie, until another chain starts or one ends.
      Active &a = active[0], &b = active[1];
      const int32_t end = std::min(nextTop, last);
      bool ended = false;
      while (y < end && !ended) {
        const int32_t stop = std::min(std::min(a.pieceBottom, b.pieceBottom) + 1, end);
        int64_t ax = a.x, bx = b.x;
        const int64_t ad = a.delta, bd = b.delta;
        for (; y < stop; ++y, ax += ad, bx += bd) {
          const int64_t l = std::clamp<int64_t>(std::min(ax, bx) >> 16, 0, right);
          const int64_t r = std::clamp<int64_t>(std::max(ax, bx) >> 16, 0, right);
          if (r > l)
            Paint(pixels + stride * y, pattern ? pattern + (y & 7) * 8 : nullptr, l, r, color);
        }
        a.x = ax;
        b.x = bx;
        const int32_t row = y - 1;  // the last row painted, where a piece may have ended
        for (Active* c : {&a, &b}) {
          if (c->pieceBottom != row) continue;
          if (c->bottom == row) {
            ended = true;
          } else {
            Enter(*c);
          }
        }
      }
      if (ended) {
        const int32_t row = y - 1;
        count = size_t(std::remove_if(active, active + count,
                                      [row](const Active& c) { return c.bottom == row; }) -
                       active);
      }
      if (y == last) break;
      if (ended) {
        --y;  // on from the row after the end
        continue;
      }
    } else if (count == 0) {
      if (nextTop >= last) break;
      y = nextTop;
    }
    for (; nextTop == y; nextTop = ++next < chains_.size() ? chains_[next].top : INT32_MAX) {
      const Chain& c = chains_[next];
      Active& a = active[count++];
      a = {0, 0, 0, c.bottom, c.winding, c.first};
      Enter(a);
    }
    for (size_t i = 1; i < count; ++i) {
      if (active[i].x >= active[i - 1].x) continue;
      const Active a = active[i];
      size_t j = i;
      for (; j > 0 && a.x < active[j - 1].x; --j) active[j] = active[j - 1];
      active[j] = a;
    }
    uint32_t* row = pixels + stride * y;
    const uint32_t* cell = pattern ? pattern + (y & 7) * 8 : nullptr;
    int64_t x = 0;
    int inside = 0;
    bool ended = false;
    for (size_t i = 0; i < count; ++i) {
      Active& a = active[i];
      const int64_t at = std::clamp<int64_t>(a.x >> 16, 0, right);
      if ((inside & mask) && at > x) Paint(row, cell, x, at, color);
      x = at;
      inside += a.winding;
      if (a.pieceBottom != y) {
        a.x += a.delta;
      } else if (a.bottom != y) {
        Enter(a);  // the chain's next piece starts on the next row
      } else {
        ended = true;
      }
    }
    if (ended) {
      count = size_t(
          std::remove_if(active, active + count, [y](const Active& a) { return a.bottom == y; }) -
          active);
    }
  }
}

}  // namespace gdi

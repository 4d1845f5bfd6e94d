#include "platform/gdi/qt/Hairline.h"

#include <QPainterPath>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace gdi {

namespace {

// Coordinates in 26.6 fixed point, steps in 16.16.
int Fixed6(double v) { return int(v * 64.0); }

// No pixel drawn yet to join.
constexpr int kNoPixel = INT_MIN;

int Step16(int num, int den) { return int((int64_t(num) * 65536) / den); }

}  // namespace

Hairline::Hairline(uint32_t* pixels, int32_t stride, int32_t width, int32_t height, uint32_t color)
    : pixels_(pixels), stride_(stride), width_(width), bottom_(height), color_(color) {
  // Lines are cut a pixel outside the image, so that the steps inside do not depend on how
  // far the line goes on beyond it.
  xmin_ = -1;
  xmax_ = double(width) + 1;
  ymin_ = -1;
  ymax_ = double(height) + 1;
}

bool Hairline::SetDashPattern(const QList<qreal>& lengths) {
  patternSize_ = patternLength_ = patternOffset_ = 0;
  const int n = int(lengths.size());
  if (n > kMaxDashes) return false;
  int forwards = 0, backwards = 0;
  for (int i = 0; i < n; ++i) {
    // Every length counts at least 1/64 pixel, so that the pattern always moves on.
    auto fixed = [](qreal v) { return int(std::clamp(v * 64.0, 1.0, 65536.0)); };
    pattern_[i] = forwards += fixed(lengths[i]);
    reversePattern_[i] = backwards += fixed(lengths[n - 1 - i]);
  }
  patternSize_ = n;
  patternLength_ = forwards;
  return true;
}

// Where in the pattern a run of pixels starts (from the centre of its first pixel), moving the
// pattern on past the run for the next one. A run drawn backwards takes the reversed pattern
// from where the run ends, so that a line dashes the same whichever way it is drawn.
struct Hairline::Dasher {
  const int* pattern;
  int size, length, offset, index, on;
  bool On() const { return (index + on) & 1; }
  // Divides only when the pattern comes round, not a pixel.
  void Next() {
    offset += 64;
    if (offset >= pattern[index] && ++index == size) index = 0;
    if (offset >= length) offset %= length;
  }
};

Hairline::Dasher Hairline::StartDashes(bool backwards, int pixels) {
  const int delta = pixels * 64;
  Dasher d{backwards ? reversePattern_ : pattern_, patternSize_, patternLength_, 0, 0, 0};
  if (backwards) {
    d.offset = patternLength_ - patternOffset_ - delta + 32;
  } else {
    d.offset = patternOffset_ + 32;
    d.on = 1;
  }
  d.offset %= patternLength_;
  if (d.offset < 0) d.offset += patternLength_;
  while (d.offset >= d.pattern[d.index]) ++d.index;
  patternOffset_ = (patternOffset_ + delta) % patternLength_;
  return d;
}

// True when the whole line lies outside; otherwise the ends are moved onto the cut lines. A
// moved far end leaves no last pixel for the next segment to join.
bool Hairline::Clip(double& x1, double& y1, double& x2, double& y2) {
  if (x1 < xmin_) {
    if (x2 <= xmin_) return lastPixel_.x = kNoPixel, true;
    y1 += (y2 - y1) / (x2 - x1) * (xmin_ - x1);
    x1 = xmin_;
  } else if (x1 > xmax_) {
    if (x2 >= xmax_) return lastPixel_.x = kNoPixel, true;
    y1 += (y2 - y1) / (x2 - x1) * (xmax_ - x1);
    x1 = xmax_;
  }
  if (x2 < xmin_) {
    lastPixel_.x = kNoPixel;
    y2 += (y2 - y1) / (x2 - x1) * (xmin_ - x2);
    x2 = xmin_;
  } else if (x2 > xmax_) {
    lastPixel_.x = kNoPixel;
    y2 += (y2 - y1) / (x2 - x1) * (xmax_ - x2);
    x2 = xmax_;
  }
  if (y1 < ymin_) {
    if (y2 <= ymin_) return lastPixel_.x = kNoPixel, true;
    x1 += (x2 - x1) / (y2 - y1) * (ymin_ - y1);
    y1 = ymin_;
  } else if (y1 > ymax_) {
    if (y2 >= ymax_) return lastPixel_.x = kNoPixel, true;
    x1 += (x2 - x1) / (y2 - y1) * (ymax_ - y1);
    y1 = ymax_;
  }
  if (y2 < ymin_) {
    lastPixel_.x = kNoPixel;
    x2 += (x2 - x1) / (y2 - y1) * (ymin_ - y2);
    y2 = ymin_;
  } else if (y2 > ymax_) {
    lastPixel_.x = kNoPixel;
    x2 += (x2 - x1) / (y2 - y1) * (ymax_ - y2);
    y2 = ymax_;
  }
  return false;
}

// The last pixel and direction of a closed figure's final segment, so that its first segment
// joins it as it would join a predecessor.
void Hairline::FindLastPixel(double rx1, double ry1, double rx2, double ry2) {
  lastPixel_ = {kNoPixel, kNoPixel};
  if (Clip(rx1, ry1, rx2, ry2)) return;
  FixedLastPixel(Fixed6(rx1), Fixed6(ry1), Fixed6(rx2), Fixed6(ry2));
}

void Hairline::FixedLastPixel(int x1, int y1, int x2, int y2) {
  const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  if (dx < dy) {
    const bool swapped = y1 > y2;
    if (swapped) {
      std::swap(y1, y2);
      std::swap(x1, x2);
    }
    const int xinc = Step16(x2 - x1, y2 - y1);
    int x = x1 * 1024;
    const int y = (y1 + 32) >> 6, ys = (y2 + 32) >> 6;
    if (y == ys) return;
    x += (((y << 6) + (xinc > 0 ? 32 : 0) - y1) * xinc) >> 6;
    if (swapped) {
      lastPixel_ = {x >> 16, y};
      lastDir_ = kUp;
    } else {
      lastPixel_ = {(x + (ys - y - 1) * xinc) >> 16, ys - 1};
      lastDir_ = kDown;
    }
    lastAxisAligned_ = std::abs(xinc) < (1 << 14);
  } else {
    if (dx == 0) return;
    const bool swapped = x1 > x2;
    if (swapped) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    const int yinc = Step16(y2 - y1, x2 - x1);
    int y = y1 * 1024;
    const int x = (x1 + 32) >> 6, xs = (x2 + 32) >> 6;
    if (x == xs) return;
    y += (((x << 6) + (yinc > 0 ? 32 : 0) - x1) * yinc) >> 6;
    if (swapped) {
      lastPixel_ = {x, y >> 16};
      lastDir_ = kLeft;
    } else {
      lastPixel_ = {xs - 1, (y + (xs - x - 1) * yinc) >> 16};
      lastDir_ = kRight;
    }
    lastAxisAligned_ = std::abs(yinc) < (1 << 14);
  }
}

void Hairline::Segment(double rx1, double ry1, double rx2, double ry2) {
  if (Clip(rx1, ry1, rx2, ry2)) return;
  FixedSegment(Fixed6(rx1), Fixed6(ry1), Fixed6(rx2), Fixed6(ry2));
}

void Hairline::SegmentTo(const PointF& from, const PointF& to) {
  Joint j = LoadJoint();
  SegmentTo(j, from, to);
  SaveJoint(j);
}

inline void Hairline::SegmentTo(Joint& j, const PointF& from, const PointF& to) {
  if (!inside_) {
    SaveJoint(j);
    Segment(from.x, from.y, to.x, to.y);
    j = LoadJoint();
    return;
  }
  const Pixel end{Fixed6(to.x), Fixed6(to.y)};
  Step(j, at_.x, at_.y, end.x, end.y);
  at_ = end;
}

void Hairline::FixedSegment(int x1, int y1, int x2, int y2) {
  Joint j = LoadJoint();
  Step(j, x1, y1, x2, y2);
  SaveJoint(j);
}

// One pixel a step along the major axis from pixel centre to pixel centre, the far end left
// out. A pixel the previous segment already drew is skipped; one a turn would leave out (a
// diagonal gap) is added; reversing along the same axis starts half a pixel back.
inline void Hairline::Step(Joint& j, int x1, int y1, int x2, int y2) {
  const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  Pixel last = j.pixel;
  auto joins = [&](const Pixel& first, int dir, bool axisAligned) {
    if (j.pixel.x == kNoPixel) return 0;
    if (first.x == j.pixel.x && first.y == j.pixel.y) return -1;  // drawn already
    if (j.dir != dir &&
        ((axisAligned && j.axisAligned && j.pixel.x != first.x && j.pixel.y != first.y) ||
         std::abs(j.pixel.x - first.x) > 1 || std::abs(j.pixel.y - first.y) > 1))
      return 1;  // a gap to fill
    return 0;
  };
  if (dx < dy) {
    int dir = kDown;
    const bool swapped = y1 > y2;
    if (swapped) {
      std::swap(y1, y2);
      std::swap(x1, x2);
      dir = kUp;
    }
    const int xinc = Step16(x2 - x1, y2 - y1);
    int x = x1 * 1024;
    const bool reversed = (j.dir ^ (kDown | kUp)) == dir;
    if (reversed) {
      if (swapped) {
        y2 += 32;
      } else {
        y1 -= 32;
        x -= xinc >> 1;
      }
    }
    int y = (y1 + 32) >> 6, ys = (y2 + 32) >> 6;
    // The half-pixel start must not move the first pixel off the previous segment's last.
    if (reversed && !swapped && j.pixel.y == y + 1) ++y;
    if (y != ys) {
      x += (((y << 6) + (xinc > 0 ? 32 : 0) - y1) * xinc) >> 6;
      Pixel first{x >> 16, y};
      last = {(x + (ys - y - 1) * xinc) >> 16, ys - 1};
      if (swapped) std::swap(first, last);
      const bool axisAligned = std::abs(xinc) < (1 << 14);
      const int join = joins(first, dir, axisAligned);
      if (join < 0) {
        if (swapped) {
          --ys;
        } else {
          ++y;
          x += xinc;
        }
      } else if (join > 0) {
        if (swapped) {
          ++ys;
        } else {
          --y;
          x -= xinc;
        }
      } else if (j.pixel.x != kNoPixel && j.dir == dir && std::abs(j.pixel.x - first.x) <= 1 &&
                 std::abs(j.pixel.y - first.y) > 1) {
        // Continuing the same way after a jump across: start half a step over.
        x += xinc >> 1;
        last.x = swapped ? x >> 16 : (x + (ys - y - 1) * xinc) >> 16;
      }
      j.dir = dir;
      j.axisAligned = axisAligned;
      if (!patternLength_) {
        SteepRun(x, xinc, y, ys);
      } else {
        Dasher dash = StartDashes(swapped, ys - y);
        do {
          if (dash.On()) Put(x >> 16, y);
          dash.Next();
          x += xinc;
        } while (++y < ys);
      }
    }
  } else {
    if (dx == 0) return;
    int dir = kRight;
    const bool swapped = x1 > x2;
    if (swapped) {
      std::swap(x1, x2);
      std::swap(y1, y2);
      dir = kLeft;
    }
    const int yinc = Step16(y2 - y1, x2 - x1);
    int y = y1 * 1024;
    const bool reversed = (j.dir ^ (kRight | kLeft)) == dir;
    if (reversed) {
      if (swapped) {
        x2 += 32;
      } else {
        x1 -= 32;
        y -= yinc >> 1;
      }
    }
    int x = (x1 + 32) >> 6, xs = (x2 + 32) >> 6;
    if (reversed && !swapped && j.pixel.x == x + 1) ++x;
    if (x != xs) {
      y += (((x << 6) + (yinc > 0 ? 32 : 0) - x1) * yinc) >> 6;
      Pixel first{x, y >> 16};
      last = {xs - 1, (y + (xs - x - 1) * yinc) >> 16};
      if (swapped) std::swap(first, last);
      const bool axisAligned = std::abs(yinc) < (1 << 14);
      const int join = joins(first, dir, axisAligned);
      if (join < 0) {
        if (swapped) {
          --xs;
        } else {
          ++x;
          y += yinc;
        }
      } else if (join > 0) {
        if (swapped) {
          ++xs;
        } else {
          --x;
          y -= yinc;
        }
      } else if (j.pixel.x != kNoPixel && j.dir == dir && std::abs(j.pixel.x - first.x) <= 1 &&
                 std::abs(j.pixel.y - first.y) > 1) {
        y += yinc >> 1;
        last.y = swapped ? y >> 16 : (y + (xs - x - 1) * yinc) >> 16;
      }
      j.dir = dir;
      j.axisAligned = axisAligned;
      if (!patternLength_) {
        ShallowRun(x, xs, y, yinc);
      } else {
        Dasher dash = StartDashes(swapped, xs - x);
        do {
          if (dash.On()) Put(x, y >> 16);
          dash.Next();
          y += yinc;
        } while (++x < xs);
      }
    }
  }
  j.pixel = last;
}

// The solid pixels of a run one row a step, the column in 16.16 fixed point. The members are
// read into locals first: a store through the pixels could alias them.
// A run the joint has cut to nothing still draws its first pixel, as the painter does.
inline void Hairline::SteepRun(int x, int xinc, int y, int ys) {
  const int x2 = x + (ys - y - 1) * xinc;
  if (!runsInside_ && !RunInside(x >> 16, x2 >> 16, y, ys - 1)) {
    if (std::max(y, ys - 1) < top_ || y >= bottom_) return;  // wholly in another band
    do {
      Put(x >> 16, y);
      x += xinc;
    } while (++y < ys);
    return;
  }
  const intptr_t stride = stride_;
  const uint32_t color = color_;
  uint32_t* row = pixels_ + stride * y;
  uint32_t* const end = row + stride * std::max(ys - y, 1);
  if (!xinc) {
    for (row += x >> 16; row < end; row += stride) *row = color;
    return;
  }
  // Wide steps need no sign extension a pixel.
  for (intptr_t at = x; row < end; row += stride, at += xinc) row[at >> 16] = color;
}

// The same one column a step, the row in 16.16 fixed point.
inline void Hairline::ShallowRun(int x, int xs, int y, int yinc) {
  const int y2 = y + (xs - x - 1) * yinc;
  if (!runsInside_ && !RunInside(x, xs - 1, y >> 16, y2 >> 16)) {
    if (std::max(y, y2) >> 16 < top_ || std::min(y, y2) >> 16 >= bottom_) return;
    do {
      Put(x, y >> 16);
      y += yinc;
    } while (++x < xs);
    return;
  }
  const intptr_t stride = stride_;
  const uint32_t color = color_;
  const int n = std::max(xs - x, 1);
  if (!yinc) {
    std::fill_n(pixels_ + stride * (y >> 16) + x, n, color);
    return;
  }
  uint32_t* column = pixels_ + x;
  uint32_t* const end = column + n;
  for (intptr_t at = y; column < end; ++column, at += yinc) column[stride * (at >> 16)] = color;
}

void Hairline::Polyline(const QPoint* points, int n, bool closed) {
  if (n < 2) return;
  lastPixel_ = {kNoPixel, kNoPixel};
  lastDir_ = kNone;
  lastAxisAligned_ = false;
  patternOffset_ = 0;
  const QPoint& a = points[0];
  const QPoint& z = points[n - 1];
  const bool joined = closed || (a.x() == z.x() && a.y() == z.y());
  // Whole pixels within the cut lines need no cutting and convert to fixed point exactly.
  int x1 = a.x(), x2 = x1, y1 = a.y(), y2 = y1;
  for (int i = 1; i < n; ++i) {
    x1 = std::min(x1, points[i].x());
    x2 = std::max(x2, points[i].x());
    y1 = std::min(y1, points[i].y());
    y2 = std::max(y2, points[i].y());
  }
  const bool inside = Inside(x1, y1) && Inside(x2, y2);
  runsInside_ = Clear(x1, y1) && Clear(x2, y2);
  if (!inside) {
    if (joined) FindLastPixel(z.x(), z.y(), a.x(), a.y());
    for (int i = 1; i < n; ++i)
      Segment(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
    if (closed) Segment(z.x(), z.y(), a.x(), a.y());
    return;
  }
  if (joined) FixedLastPixel(z.x() * 64, z.y() * 64, a.x() * 64, a.y() * 64);
  Joint j = LoadJoint();
  for (int i = 1; i < n; ++i)
    Step(j, points[i - 1].x() * 64, points[i - 1].y() * 64, points[i].x() * 64, points[i].y() * 64);
  if (closed) Step(j, z.x() * 64, z.y() * 64, a.x() * 64, a.y() * 64);
  SaveJoint(j);
}

void Hairline::Path(const QPainterPath& path) {
  Figures(path.elementCount(), [&path](int i) { return path.elementAt(i); });
}

void Hairline::Path(const Element* elements, int n) {
  Figures(n, [elements](int i) { return elements[i]; });
}

template <typename At>
void Hairline::Figures(int n, const At& at) {
  constexpr int kMove = QPainterPath::MoveToElement, kCurve = QPainterPath::CurveToElement;
  lastDir_ = kNone;
  lastAxisAligned_ = false;
  for (int start = 0; start < n;) {
    int end = start + 1;
    while (end < n && int(at(end).type) != kMove) ++end;
    // A lone move draws nothing.
    if (end - start >= 2) {
      const auto a = at(start);
      const auto z = at(end - 1);
      lastPixel_ = {kNoPixel, kNoPixel};
      patternOffset_ = 0;
      // Curves stay within their control points, and so do their halves.
      inside_ = runsInside_ = true;
      for (int i = start; i < end; ++i) {
        const auto e = at(i);
        if (Clear(e.x, e.y)) continue;
        runsInside_ = false;
        if (!Inside(e.x, e.y)) {
          inside_ = false;
          break;
        }
      }
      if (a.x == z.x && a.y == z.y) {
        const auto y = at(end - 2);
        if (inside_)
          FixedLastPixel(Fixed6(y.x), Fixed6(y.y), Fixed6(z.x), Fixed6(z.y));
        else
          FindLastPixel(y.x, y.y, z.x, z.y);
      }
      PointF p{a.x, a.y};
      if (inside_) at_ = {Fixed6(a.x), Fixed6(a.y)};
      for (int i = start + 1; i < end;) {
        const auto e = at(i);
        if (int(e.type) == kCurve && i + 2 < end) {
          const auto c = at(i + 1);
          const auto d = at(i + 2);
          Cubic(p, {e.x, e.y}, {c.x, c.y}, {d.x, d.y});
          p = {d.x, d.y};
          i += 3;
        } else {
          SegmentTo(p, {e.x, e.y});
          p = {e.x, e.y};
          ++i;
        }
      }
    }
    start = end;
  }
}

void HairlinePath::Clear() {
  elements_.assign(1, {0, 0, QPainterPath::MoveToElement});
  start_ = 0;
  restart_ = false;
}

void HairlinePath::StartAgain() {
  if (!restart_) return;
  Hairline::Element e = elements_[start_];
  e.type = QPainterPath::MoveToElement;
  elements_.push_back(e);
  start_ = elements_.size() - 1;
  restart_ = false;
}

void HairlinePath::MoveTo(double x, double y) {
  restart_ = false;
  if (elements_.back().type == QPainterPath::MoveToElement) {
    elements_.back() = {x, y, QPainterPath::MoveToElement};
  } else {
    elements_.push_back({x, y, QPainterPath::MoveToElement});
  }
  start_ = elements_.size() - 1;
}

void HairlinePath::LineTo(double x, double y) {
  StartAgain();
  const Hairline::Element& last = elements_.back();
  if (last.x == x && last.y == y) return;
  elements_.push_back({x, y, QPainterPath::LineToElement});
}

void HairlinePath::CubicTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  const Hairline::Element& last = elements_.back();
  if (last.x == x1 && last.y == y1 && x1 == x2 && y1 == y2 && x2 == x3 && y2 == y3) return;
  StartAgain();
  elements_.push_back({x1, y1, QPainterPath::CurveToElement});
  elements_.push_back({x2, y2, QPainterPath::CurveToDataElement});
  elements_.push_back({x3, y3, QPainterPath::CurveToDataElement});
}

void HairlinePath::CloseFigure() {
  if (Empty()) return;
  restart_ = true;
  const Hairline::Element first = elements_[start_];
  const Hairline::Element& last = elements_.back();
  if (first.x == last.x && first.y == last.y) return;
  elements_.push_back({first.x, first.y, QPainterPath::LineToElement});
}

namespace {

// De Casteljau halving in place: the curve points[0..3] (stored end first) becomes
// points[0..3] and points[3..6].
template <typename P>
void Halve(P* points) {
  auto coordinate = [&](double P::*v) {
    points[6].*v = points[3].*v;
    double c = points[1].*v, d = points[2].*v;
    double a = (points[0].*v + c) * .5;
    double b = (points[3].*v + d) * .5;
    points[1].*v = a;
    points[5].*v = b;
    c = (c + d) * .5;
    points[2].*v = a = (a + c) * .5;
    points[4].*v = b = (b + c) * .5;
    points[3].*v = (a + b) * .5;
  };
  coordinate(&P::x);
  coordinate(&P::y);
}

}  // namespace

// Halved at most six times, until both control points lie within a quarter of the chord's
// Manhattan length (measured as a cross product) of the chord; the first half goes first.
void Hairline::Cubic(const PointF& p1, const PointF& p2, const PointF& p3, const PointF& p4) {
  constexpr int kLevels = 6;
  // A stack of curves three points apart, each stored end first: the top one is drawn or
  // halved next, the one below it is the second half still to come.
  PointF points[3 * kLevels + 4];
  int levels[kLevels + 1];
  points[3] = p1;
  points[2] = p2;
  points[1] = p3;
  points[0] = p4;
  levels[0] = kLevels;
  Joint j = LoadJoint();
  for (int depth = 0;;) {
    PointF* c = points + 3 * depth;
    if (const int level = levels[depth]) {
      const double dx = c[3].x - c[0].x, dy = c[3].y - c[0].y;
      const double len = .25 * (std::abs(dx) + std::abs(dy));
      if (std::abs(dx * (c[0].y - c[2].y) - dy * (c[0].x - c[2].x)) >= len ||
          std::abs(dx * (c[0].y - c[1].y) - dy * (c[0].x - c[1].x)) >= len) {
        Halve(c);
        levels[depth] = levels[depth + 1] = level - 1;
        ++depth;
        continue;
      }
    }
    SegmentTo(j, c[3], c[0]);
    if (!depth--) return SaveJoint(j);
  }
}

}  // namespace gdi

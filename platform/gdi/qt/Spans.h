// Aliased scan conversion straight into 32-bit rows, for the fills and wide outlines that the
// screen drawing makes by the thousand: the painter's own rules (26.6 coordinates, a pixel
// painted when its centre lies inside, ties going right and down, curves halved until flat
// enough) without its cost per figure. A band of an image converts only its own rows and gets
// exactly its share of every figure.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gdi {

class Spans {
 public:
  struct Point {
    double x, y;
    bool smooth = false;  // a point inside a flattened curve
  };

  // The path: figures of straight pieces, curves flattened as they come. It stays until Clear,
  // so one path may be filled and then stroked.
  void Clear();
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void CubicTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void CloseFigure();

  // True when every point of the path, grown by `reach` pixels, lies within the coordinates the
  // fixed-point steps can hold (about four million pixels from the origin); figures beyond
  // need clipping first, which the painter does.
  bool Within(double reach = 0) const { return finite_ && extent_ + reach < kLimit; }
  static constexpr double kLimit = 1 << 22;

  // Paints the path's inside (odd-even, or non-zero winding) on rows top .. bottom - 1 of rows
  // `stride` pixels apart and `width` pixels wide: in `color`, or with `pattern` an 8 x 8 cell
  // (row by row) repeating from the image origin. Each figure is closed back to its start.
  struct Target {
    uint32_t* pixels;
    int64_t stride;
    int32_t width, top, bottom;
  };
  void FillPath(const Target& target, bool winding, uint32_t color,
                const uint32_t* pattern = nullptr);
  // Paints in `color` the area a pen of `width` pixels covers along the path's figures: flat
  // ends, and miter joins cut across where they would reach more than `miterLimit` widths
  // beyond the walls' ends.
  void Stroke(const Target& target, double width, double miterLimit, uint32_t color);

 private:
  struct Figure {
    size_t begin, end;
    bool closed;
  };
  // The outlines to fill, as corners in 26.6, each outline closed back to its first corner.
  struct Corner {
    int32_t x, y;
  };
  // A run of an outline's pieces all going down (winding 1) or all up (-1), with level ones
  // between: their rows follow on one another, so one of them crosses each of the run's rows
  // and the run takes one place in the row's list instead of one per piece.
  struct Chain {
    int32_t top, bottom;  // rows
    int32_t first;        // the corner it starts from, at its top
    int32_t winding;
  };
  // A chain on the current row, at the piece whose lower end is corner `corner`.
  struct Active {
    int64_t x, delta;  // 16.16 on the current row, and per row
    int32_t pieceBottom, bottom, winding, corner;
  };
  struct Vector {
    double x, y;
  };
  // A segment of a stroked polyline: its direction, its left side's offset, its length.
  struct Side {
    Vector unit, normal;
    double length;
  };

  // Rounded as the painter rounds, halves away from zero.
  static int32_t Fixed26(double v) {
    const double d = std::clamp(v, -kLimit, kLimit) * 64;
    return int32_t(d + std::copysign(0.5, d));
  }
  void EndFigure(bool closed);
  void To(double x, double y) { corners_.push_back({Fixed26(x), Fixed26(y)}); }
  void CloseOutline();
  void AddChain(int32_t begin, int32_t end, int32_t winding);
  void Wall(const Point* p, size_t n, bool closed, bool backward, double half, double miterLimit);
  void Fill(const Target& target, bool winding, uint32_t color, const uint32_t* pattern = nullptr);
  int32_t Enter(Active& a) const;

  std::vector<Point> points_;
  std::vector<Figure> figures_;
  size_t figureBegin_ = 0;
  std::vector<Corner> corners_;
  std::vector<Chain> chains_;
  std::vector<Active> active_;
  std::vector<Point> polyline_;
  std::vector<Side> sides_;  // of the polyline walked forward
  size_t outlineBegin_ = 0;
  double extent_ = 0;  // the largest coordinate's size since Clear
  bool finite_ = true;
  void Extend(double x, double y) {
    finite_ = finite_ && std::isfinite(x) && std::isfinite(y);
    extent_ = std::max({extent_, std::abs(x), std::abs(y)});
  }
};

}  // namespace gdi

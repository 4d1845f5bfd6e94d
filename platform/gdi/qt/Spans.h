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

  // The path: figures of straight pieces, curves flattened as they come.
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
  struct Edge {
    int64_t x, delta;  // 16.16 at the first row, and per row
    int32_t top, bottom, winding;
  };
  void EndFigure(bool closed);
  void Fill(const Target& target, bool winding, uint32_t color, const uint32_t* pattern = nullptr);
  void AddLine(double ax, double ay, double bx, double by);
  void Wall(const Point* p, size_t n, bool closed, double half, double miterLimit);

  std::vector<Point> points_;
  std::vector<Figure> figures_;
  size_t figureBegin_ = 0;
  std::vector<Edge> edges_;
  std::vector<Edge> active_;
  std::vector<Point> polyline_;
  int32_t top_ = INT32_MAX, bottom_ = INT32_MIN;
  Point wallStart_{}, wallEnd_{};  // the last wall's ends
  double extent_ = 0;              // the largest coordinate's size since Clear
  bool finite_ = true;
  void Extend(double x, double y) {
    finite_ = finite_ && std::isfinite(x) && std::isfinite(y);
    extent_ = std::max({extent_, std::abs(x), std::abs(y)});
  }
};

}  // namespace gdi

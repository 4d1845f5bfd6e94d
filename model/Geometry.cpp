#include "model/Geometry.h"

#include <algorithm>
#include <cmath>

Point MakePoint(float x, float y) { return Point{x, y}; }

bool operator==(const Point& p, const Point& q) { return p.x == q.x && p.y == q.y; }

Color MakeColor(int red, int green, int blue) {
  return Color{float(red & 255), float(green & 255), float(blue & 255)};
}

bool operator==(const Color& p, const Color& q) {
  return p.red == q.red && p.green == q.green && p.blue == q.blue;
}

bool operator!=(const Color& p, const Color& q) { return !(p == q); }

void ColorToCmyk(const Color& color, float cmyk[4]) {
  cmyk[0] = (100.0f - color.red) / 100.0f;
  cmyk[1] = (100.0f - color.green) / 100.0f;
  cmyk[2] = (100.0f - color.blue) / 100.0f;
  cmyk[3] = 0.0f;
}

bool operator==(const Arrowhead& p, const Arrowhead& q) {
  return p.enabled == q.enabled && p.kind == q.kind;
}

bool operator==(const PaintStyle& p, const PaintStyle& q) {
  return p.lineWidth == q.lineWidth && p.strokeOn == q.strokeOn && p.fillOn == q.fillOn &&
         p.strokeColor == q.strokeColor && p.fillColor == q.fillColor && p.pattern == q.pattern &&
         p.dash == q.dash;
}

bool RectIsEmpty(const Rect& r) { return r.x1 == -1 && r.y1 == -1 && r.x2 == -1 && r.y2 == -1; }

Rect NormalizeRect(const Rect& r) {
  Rect n = r;
  if (n.x1 > n.x2) std::swap(n.x1, n.x2);
  if (n.y1 > n.y2) std::swap(n.y1, n.y2);
  return n;
}

bool RectsIntersect(float ax1, float ay1, float ax2, float ay2, float bx1, float by1, float bx2,
                    float by2) {
  Rect a = NormalizeRect(Rect{ax1, ay1, ax2, ay2});
  Rect b = NormalizeRect(Rect{bx1, by1, bx2, by2});
  return a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
}

bool RectsIntersect(const Rect& a, const Rect& b) {
  return RectsIntersect(a.x1, a.y1, a.x2, a.y2, b.x1, b.y1, b.x2, b.y2);
}

Rect UnionRect(const Rect& a, const Rect& b) {
  if (RectIsEmpty(a)) return b;
  if (RectIsEmpty(b)) return a;
  Rect na = NormalizeRect(a);
  Rect nb = NormalizeRect(b);
  return Rect{std::min(na.x1, nb.x1), std::min(na.y1, nb.y1), std::max(na.x2, nb.x2),
              std::max(na.y2, nb.y2)};
}

void AddPointToRect(Rect* r, float x, float y) {
  if (RectIsEmpty(*r)) {
    *r = Rect{x, y, x, y};
    return;
  }
  r->x1 = std::min(r->x1, x);
  r->y1 = std::min(r->y1, y);
  r->x2 = std::max(r->x2, x);
  r->y2 = std::max(r->y2, y);
}

Matrix MakeMatrix(float a, float b, float c, float d, float tx, float ty) {
  return Matrix{a, b, c, d, tx, ty};
}

Matrix ToMatrix(const MatrixD& m) {
  return Matrix{float(m.a), float(m.b), float(m.c), float(m.d), float(m.tx), float(m.ty)};
}

MatrixD ToMatrixD(const Matrix& m) { return MatrixD{m.a, m.b, m.c, m.d, m.tx, m.ty}; }

Matrix Multiply(const Matrix& m1, const Matrix& m2) {
  return ToMatrix(Multiply(ToMatrixD(m1), ToMatrixD(m2)));
}

MatrixD Invert(const MatrixD& m) {
  double det = m.a * m.d - m.b * m.c;
  // Written so that a NaN determinant counts as singular too.
  if (!(det <= -0.0001 || det >= 0.0001)) {
    return MatrixD{kSingularInverse, kSingularInverse, kSingularInverse,
                   kSingularInverse, kSingularInverse, kSingularInverse};
  }
  return MatrixD{m.d / det,
                 -m.b / det,
                 -m.c / det,
                 m.a / det,
                 (m.c * m.ty - m.tx * m.d) / det,
                 (m.tx * m.b - m.a * m.ty) / det};
}

Matrix Invert(const Matrix& m) { return ToMatrix(Invert(ToMatrixD(m))); }

Point Transform(const MatrixD& m, double x, double y) {
  return Point{float(m.a * x + m.c * y + m.tx), float(m.b * x + m.d * y + m.ty)};
}

Point DTransform(const MatrixD& m, double x, double y) {
  return Point{float(m.a * x + m.c * y), float(m.b * x + m.d * y)};
}

Point ITransform(const MatrixD& m, double x, double y) { return Transform(Invert(m), x, y); }

Point Transform(const Matrix& m, float x, float y) { return Transform(ToMatrixD(m), x, y); }

Point DTransform(const Matrix& m, float x, float y) { return DTransform(ToMatrixD(m), x, y); }

Point ITransform(const Matrix& m, float x, float y) { return ITransform(ToMatrixD(m), x, y); }

void ApplyPen(PaintStyle* style, int pen) {
  static const float kWidths[8] = {0.25f, 0.5f, 0.75f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
  if (pen >= 0 && pen <= 3) {
    style->dash = pen;
    style->strokeOn = 1;
  } else if (pen >= 4 && pen <= 11) {
    style->lineWidth = kWidths[pen - 4];
    style->dash = -1;
    style->strokeOn = 1;
  }
}

bool SegmentMeetsRect(double x1, double y1, double x2, double y2, double rx1, double ry1,
                      double rx2, double ry2) {
  double l = std::min(rx1, rx2), r = std::max(rx1, rx2);
  double b = std::min(ry1, ry2), t = std::max(ry1, ry2);
  if (std::max(x1, x2) < l || std::min(x1, x2) > r) return false;
  if (std::max(y1, y2) < b || std::min(y1, y2) > t) return false;
  double dx = x2 - x1, dy = y2 - y1;
  const double cx[4] = {l, r, r, l};
  const double cy[4] = {b, b, t, t};
  int positive = 0, negative = 0;
  for (int i = 0; i < 4; ++i) {
    double side = dx * (cy[i] - y1) - dy * (cx[i] - x1);
    if (side > 0) ++positive;
    if (side < 0) ++negative;
  }
  return positive != 4 && negative != 4;
}

// Value types of the drawing model: points, rectangles, matrices, colours, arrows and paint
// styles. Coordinates are PostScript points, origin lower-left, y upward.
#pragma once

#include <cstdint>

struct Point {
  float x = 0;
  float y = 0;
};

// (x1, y1) lower-left and (x2, y2) upper-right once normalised; all -1 means empty.
struct Rect {
  float x1 = -1;
  float y1 = -1;
  float x2 = -1;
  float y2 = -1;
};

// Affine matrix in PostScript order [a b c d tx ty]: x' = a*x + c*y + tx, y' = b*x + d*y + ty.
struct Matrix {
  float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// The graphics state keeps its current matrix in double precision.
struct MatrixD {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// Percentages 0..100 of red, green and blue.
struct Color {
  float red = 0;
  float green = 0;
  float blue = 0;
};

struct Arrowhead {
  int32_t enabled = 0;  // 0 none; the menu stores 1 for the left end, 2 for the right end
  int32_t kind = 4;     // 0..4, the procset's arrowhead shapes
};

struct PaintStyle {
  float lineWidth = 1.0f;
  int32_t strokeOn = 1;
  int32_t fillOn = 0;
  Color strokeColor{0, 0, 0};
  Color fillColor{100, 100, 100};
  int32_t pattern = -1;  // -1 none, 0..8 the nine PostScript patterns
  int32_t dash = -1;     // -1 solid, 0..3 the dash table
};

inline constexpr double kPi = 3.141592653589793;
// A singular matrix inverts to this in every element: far-away answers instead of an error.
inline constexpr double kSingularInverse = 100000000.0;

Point MakePoint(float x, float y);
bool operator==(const Point& p, const Point& q);

// Only the low eight bits of each component are kept.
Color MakeColor(int red, int green, int blue);
bool operator==(const Color& p, const Color& q);
bool operator!=(const Color& p, const Color& q);
// C = (100 - red) / 100 and so on, K = 0.
void ColorToCmyk(const Color& color, float cmyk[4]);

bool operator==(const Arrowhead& p, const Arrowhead& q);
bool operator==(const PaintStyle& p, const PaintStyle& q);

bool RectIsEmpty(const Rect& r);
Rect NormalizeRect(const Rect& r);
// Normalises both rectangles first; touching edges count as meeting.
bool RectsIntersect(float ax1, float ay1, float ax2, float ay2, float bx1, float by1, float bx2,
                    float by2);
bool RectsIntersect(const Rect& a, const Rect& b);
// Union with an empty rectangle yields the other operand.
Rect UnionRect(const Rect& a, const Rect& b);
// Exact test of a segment against a rectangle (normalised here): the boxes overlap and the
// rectangle's corners do not all lie on one side of the segment's line.
bool SegmentMeetsRect(double x1, double y1, double x2, double y2, double rx1, double ry1,
                      double rx2, double ry2);
// Grows the accumulator by one point.
void AddPointToRect(Rect* r, float x, float y);

Matrix MakeMatrix(float a, float b, float c, float d, float tx, float ty);
Matrix ToMatrix(const MatrixD& m);
MatrixD ToMatrixD(const Matrix& m);
// M1 followed by M2, the PostScript concat order; inline, as every shape's drawing concatenates.
inline MatrixD Multiply(const MatrixD& m1, const MatrixD& m2) {
  MatrixD r;
  r.a = m1.a * m2.a + m1.b * m2.c;
  r.b = m1.a * m2.b + m1.b * m2.d;
  r.c = m1.c * m2.a + m1.d * m2.c;
  r.d = m1.c * m2.b + m1.d * m2.d;
  r.tx = m1.tx * m2.a + m1.ty * m2.c + m2.tx;
  r.ty = m1.tx * m2.b + m1.ty * m2.d + m2.ty;
  return r;
}
Matrix Multiply(const Matrix& m1, const Matrix& m2);
MatrixD Invert(const MatrixD& m);
Matrix Invert(const Matrix& m);
Point Transform(const MatrixD& m, double x, double y);
Point DTransform(const MatrixD& m, double x, double y);
Point ITransform(const MatrixD& m, double x, double y);
Point Transform(const Matrix& m, float x, float y);
Point DTransform(const Matrix& m, float x, float y);
Point ITransform(const Matrix& m, float x, float y);

// The twelve pens of the Line menu: 0..3 dashes (width kept), 4..11 solid widths.
void ApplyPen(PaintStyle* style, int pen);

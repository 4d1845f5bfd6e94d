#include "model/Shape.h"

#include <cmath>

#include "model/GraphicsState.h"
#include "model/HandleMarker.h"

namespace {

uint64_t gShapeChanges = 1;

constexpr double kPixelLimit = 1.0e9;

// Whole device pixel, clamped so that far-away points still convert to a defined integer.
int32_t RoundPixel(double v) {
  if (std::isnan(v)) return 0;
  if (v > kPixelLimit) v = kPixelLimit;
  if (v < -kPixelLimit) v = -kPixelLimit;
  return int32_t(v + 0.5);
}

}  // namespace

// The address may come back as another shape: the hit index must not trust its entry.
Shape::~Shape() { NoteShapeChanged(this); }

void Shape::SetMarker() { flags_ |= kShapeMarked; }
void Shape::ClearMarker() { flags_ &= ~uint32_t(kShapeMarked); }
int32_t Shape::IsMarked() const { return (flags_ & kShapeMarked) ? 1 : 0; }
void Shape::Hide() { flags_ |= kShapeHidden; }
void Shape::Show() { flags_ &= ~uint32_t(kShapeHidden); }
int32_t Shape::IsHidden() const { return (flags_ & kShapeHidden) ? 1 : 0; }

void Shape::GetMatrix(float out[6]) const {
  out[0] = matrix_.a;
  out[1] = matrix_.b;
  out[2] = matrix_.c;
  out[3] = matrix_.d;
  out[4] = matrix_.tx;
  out[5] = matrix_.ty;
}

void Shape::SetMatrix(float a, float b, float c, float d, float tx, float ty) {
  matrix_ = Matrix{a, b, c, d, tx, ty};
  InvalidateBounds();
}

void Shape::SetMatrixFrom(const float m[6]) { SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]); }

Tool* Shape::Editor() { return nullptr; }

void Shape::SetPaintStyle(const PaintStyle& style) { style_ = style; }
void Shape::GetPaintStyle(PaintStyle* out) const { *out = style_; }

void Shape::SetPattern(int32_t pattern) {
  style_.pattern = pattern;
  style_.fillOn = 1;
}

void Shape::SetDash(int32_t dash) {
  style_.dash = dash;
  style_.strokeOn = 1;
}

void Shape::SetLineWidth(float width) {
  style_.lineWidth = width;
  style_.dash = -1;
  style_.strokeOn = 1;
}

void Shape::SetFillColor(const Color& color) {
  style_.fillColor = color;
  style_.fillOn = 1;
}

void Shape::SetStrokeColor(const Color& color) {
  style_.strokeColor = color;
  style_.strokeOn = 1;
}

void Shape::SetNoFill() {
  style_.fillOn = 0;
  style_.fillColor = Color{100, 100, 100};
  style_.pattern = -1;
}

void Shape::SetNoStroke() {
  style_.strokeOn = 0;
  style_.dash = -1;
}

void Shape::SetArrows(const Arrowhead& left, const Arrowhead& right) {
  leftArrow_ = left;
  rightArrow_ = right;
}

void Shape::GetArrows(Arrowhead* left, Arrowhead* right) const {
  *left = leftArrow_;
  *right = rightArrow_;
}

// Every transform is built in a fresh matrix so the caller's drawing state is untouched; the
// operations are issued in PostScript order, so a point is first moved by -c, transformed and
// moved back.
void Shape::Move(float dx, float dy) {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.setmatrix(MatrixD{});
  gs.translate(dx, dy);
  MatrixD t = gs.matrix();
  gs.grestore();
  AppendTransform(t);
}

void Shape::Scale(float cx, float cy, float sx, float sy) {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.setmatrix(MatrixD{});
  gs.translate(cx, cy);
  gs.scale(sx, sy);
  gs.translate(-cx, -cy);
  MatrixD t = gs.matrix();
  gs.grestore();
  AppendTransform(t);
}

void Shape::Rotate(float cx, float cy, float degrees) {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.setmatrix(MatrixD{});
  gs.translate(cx, cy);
  gs.rotate(degrees);
  gs.translate(-cx, -cy);
  MatrixD t = gs.matrix();
  gs.grestore();
  AppendTransform(t);
}

void Shape::Reflect(float cx, float cy, float degrees) {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.setmatrix(MatrixD{});
  gs.translate(cx, cy);
  gs.rotate(degrees);
  gs.scale(1, -1);
  gs.rotate(-degrees);
  gs.translate(-cx, -cy);
  MatrixD t = gs.matrix();
  gs.grestore();
  AppendTransform(t);
}

void Shape::Skew(float cx, float cy, float b, float c) {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.setmatrix(MatrixD{});
  gs.translate(cx, cy);
  gs.concat(MatrixD{1, b, c, 1, 0, 0});
  gs.translate(-cx, -cy);
  MatrixD t = gs.matrix();
  gs.grestore();
  AppendTransform(t);
}

int32_t Shape::SnapToOutline(float*, float*, float) { return 0; }

float Shape::EffectiveLineWidth() const { return style_.dash != -1 ? 1.0f : style_.lineWidth; }

void Shape::AppendTransform(const MatrixD& t) {
  matrix_ = ToMatrix(Multiply(ToMatrixD(matrix_), t));
  InvalidateBounds();
}

void Shape::DrawPath(int32_t mode) {
  GraphicsState& gs = TheGraphicsState();
  if (mode != 1) {
    gs.gsave();
    gs.newpath();
    BuildPath();
    gs.setlinewidth(0);
    gs.setrgbcolor(0, 0, 0);
    gs.setpattern(-1);
    gs.setdash(-1);
    gs.stroke(mode);
    gs.grestore();
    return;
  }
  // BuildPath leaves the state as it found it and adds only the path, and the state is the same
  // for the stroke as it was for the fill, so the fill's path is the stroke's too.
  static GrowArray<PathElement> built;
  bool reuse = false;
  if (style_.fillOn) {
    gs.gsave();
    gs.newpath();
    BuildPath();
    reuse = style_.strokeOn && built.CopyFrom(gs.path());
    const Color& c = style_.fillColor;
    gs.setrgbcolor(c.red / 100, c.green / 100, c.blue / 100);
    gs.setpattern(style_.pattern);
    gs.fill(1);
    gs.grestore();
  }
  if (style_.strokeOn) {
    gs.gsave();
    gs.newpath();
    if (!reuse || !gs.setpath(built)) BuildPath();
    // BuildPath restores the matrix it concatenated, so the width is converted through the
    // view's matrix only: a shape's own scaling never thickens its line.
    gs.setlinewidth(style_.lineWidth);
    const Color& c = style_.strokeColor;
    gs.setrgbcolor(c.red / 100, c.green / 100, c.blue / 100);
    gs.setdash(style_.dash);
    gs.stroke(1);
    gs.grestore();
  }
}

void Shape::GrowByLineWidth(Rect* r) const {
  // An empty accumulator has nothing to grow.
  if (RectIsEmpty(*r)) return;
  float w = float(int32_t(EffectiveLineWidth() / 2 + 0.5f));
  r->x1 -= w;
  r->y1 -= w;
  r->x2 += w;
  r->y2 += w;
}

int32_t Shape::TouchesRectByOutline(float x1, float y1, float x2, float y2) {
  Rect b;
  GetBounds(&b, 0);
  if (RectIsEmpty(b) || !RectsIntersect(b.x1, b.y1, b.x2, b.y2, x1, y1, x2, y2)) return 0;
  GraphicsState& gs = TheGraphicsState();
  gs.newpath();
  BuildPath();
  int32_t hit = gs.PathTouchesRect(x1, y1, x2, y2) ? 1 : 0;
  gs.newpath();
  return hit;
}

int32_t Shape::HitInteriorByOutline(float x, float y) {
  if (!style_.fillOn) return 0;
  Rect b;
  GetBounds(&b, 0);
  if (RectIsEmpty(b)) return 0;
  b = NormalizeRect(b);
  if (x < b.x1 || x > b.x2 || y < b.y1 || y > b.y2) return 0;
  GraphicsState& gs = TheGraphicsState();
  gs.newpath();
  BuildPath();
  int32_t hit = gs.PointInPath(x, y, true) ? 1 : 0;
  gs.newpath();
  return hit;
}

void Shape::HandlePosition(float x, float y, int32_t* dx, int32_t* dy) const {
  Point page = Transform(matrix_, x, y);
  Point dev = TheGraphicsState().transform(page.x, page.y);
  *dx = RoundPixel(dev.x);
  *dy = RoundPixel(dev.y);
}

void Shape::MarkHandles(const Point* points, int32_t count, int32_t mode) const {
  HandleMarker* marker = CurrentHandleMarker();
  if (!marker) return;
  for (int32_t i = 0; i < count; ++i) {
    int32_t dx = 0, dy = 0;
    HandlePosition(points[i].x, points[i].y, &dx, &dy);
    marker->Handle(dx, dy, mode);
  }
}

void Shape::MarkCentre(float x, float y) const {
  HandleMarker* marker = CurrentHandleMarker();
  if (!marker) return;
  int32_t dx = 0, dy = 0;
  HandlePosition(x, y, &dx, &dy);
  marker->CentreMark(dx, dy);
}

void DestroyShapes(ShapeList* list) {
  if (!list) return;
  for (Shape* s : *list) delete s;
  list->Clear();
}

void NoteShapesChanged() { ++gShapeChanges; }
uint64_t ShapeChangeCount() { return gShapeChanges; }

void Shape::InvalidateBounds() {
  boundsValid_ = 0;
  NoteShapesChanged();
  NoteShapeChanged(this);
}

// The abstract base of every object in a drawing. A shape keeps its geometry in local
// coordinates plus a matrix that places it on the page; transforms only change the matrix.
#pragma once

#include <cstdint>

#include "model/Geometry.h"
#include "model/GrowArray.h"

class OutputDriver;
class Tool;

enum ShapeKind : int32_t {
  kLineShape = 0,
  kOvalShape = 1,
  kBoxShape = 2,
  kPolygonShape = 3,
  kCurveShape = 4,
  kArcShape = 5,
  kTextShape = 6,
  kImageShape = 8,
  kGroupShape = 9,
  kCompoundShape = 10,
};

enum ShapeFlag : uint32_t {
  kShapeHidden = 1,
  kShapeMarked = 2,
};

class Shape {
 public:
  Shape() = default;
  Shape(const Shape& other) = default;
  Shape& operator=(const Shape&) = delete;

  // Slots in order; slot 0 is the destructor.
  virtual ~Shape();
  virtual int32_t Kind() const = 0;
  virtual void SetMarker();
  virtual void ClearMarker();
  virtual int32_t IsMarked() const;
  virtual void Hide();
  virtual void Show();
  virtual int32_t IsHidden() const;
  // Appends the outline to the current path of the graphics state, through the matrix.
  virtual void BuildPath() = 0;
  // mode 1 paints normally; any other mode draws the outline as a hairline.
  virtual void Draw(int32_t mode) = 0;
  // mode 1 selected style, 0 unselected; through the current HandleMarker.
  virtual void DrawHandles(int32_t mode) = 0;
  virtual void Write(OutputDriver& driver) = 0;
  virtual Shape* Clone() const = 0;
  virtual void GetMatrix(float out[6]) const;
  virtual void SetMatrix(float a, float b, float c, float d, float tx, float ty);
  virtual void SetMatrixFrom(const float m[6]);
  virtual void GetBounds(Rect* out, int32_t includeLine) = 0;
  virtual Tool* Editor();
  virtual void SetPaintStyle(const PaintStyle& style);
  virtual void GetPaintStyle(PaintStyle* out) const;
  virtual void SetPattern(int32_t pattern);
  virtual void SetDash(int32_t dash);
  virtual void SetLineWidth(float width);
  virtual void SetFillColor(const Color& color);
  virtual void SetStrokeColor(const Color& color);
  virtual void SetNoFill();
  virtual void SetNoStroke();
  virtual void SetArrows(const Arrowhead& left, const Arrowhead& right);
  virtual void GetArrows(Arrowhead* left, Arrowhead* right) const;
  virtual int32_t TouchesRect(float x1, float y1, float x2, float y2) = 0;
  virtual int32_t HitInterior(float x, float y) = 0;
  virtual void Move(float dx, float dy);
  virtual void Scale(float cx, float cy, float sx, float sy);
  virtual void Rotate(float cx, float cy, float degrees);
  virtual void Reflect(float cx, float cy, float degrees);
  virtual void Skew(float cx, float cy, float b, float c);
  virtual int32_t SnapToOutline(float* x, float* y, float tolerance);

  // Non-virtual helpers shared by the classes.
  const Matrix& matrix() const { return matrix_; }
  const PaintStyle& style() const { return style_; }
  const Arrowhead& leftArrow() const { return leftArrow_; }
  const Arrowhead& rightArrow() const { return rightArrow_; }
  uint32_t flags() const { return flags_; }
  // Call after changing geometry fields directly: drops the cached bounds and tells the
  // drawing's hit index that this shape changed.
  void InvalidateBounds();
  // Line width used by bounds, arrowheads and every output driver: 1 for a dashed shape.
  float EffectiveLineWidth() const;

 protected:
  // The common rules: Draw of a path shape (fill then stroke in mode 1, hairline otherwise),
  // bounds grown by the rounded half line width, TouchesRect and HitInterior through the
  // outline after a bounds rejection.
  void DrawPath(int32_t mode);
  void GrowByLineWidth(Rect* r) const;
  int32_t TouchesRectByOutline(float x1, float y1, float x2, float y2);
  int32_t HitInteriorByOutline(float x, float y);
  // Replaces the matrix M by M x T and invalidates the bounds.
  void AppendTransform(const MatrixD& t);
  // Maps a local point through the matrix and the graphics state's current matrix, rounded
  // to whole device pixels, for handles.
  void HandlePosition(float x, float y, int32_t* dx, int32_t* dy) const;
  // Handles at local points, in order, and a centre mark, through the current HandleMarker
  // (nothing when none is set).
  void MarkHandles(const Point* points, int32_t count, int32_t mode) const;
  void MarkCentre(float x, float y) const;

  uint32_t flags_ = 0;
  Matrix matrix_;
  Rect cachedBounds_;
  int32_t boundsValid_ = 0;
  PaintStyle style_;
  Arrowhead leftArrow_{0, 4};
  Arrowhead rightArrow_{0, 4};
};

// Shape pointers in z-order (index 0 at the bottom). A list never destroys its members.
using ShapeList = GrowArray<Shape*>;

// Counts changes to shapes (geometry, matrices, lists); caches of derived data compare it.
void NoteShapesChanged();
uint64_t ShapeChangeCount();
// Tells the drawing's hit index (model/HitIndex.h) that this shape's bounds may have changed or
// that it is going away. InvalidateBounds and the destructor call it.
void NoteShapeChanged(const Shape* shape);

// Destroys every member of the list and clears it.
void DestroyShapes(ShapeList* list);

// Polygons (straight segments) and curves (cubic Bezier segments) with their node operations
// and the curve mathematics shared with arcs and the curve tool.
#pragma once

#include "model/Shape.h"

struct CurveNode {
  float x = 0, y = 0;        // anchor
  float inX = 0, inY = 0;    // control before the anchor (ends the previous segment)
  float outX = 0, outY = 0;  // control after the anchor (starts the next segment)
  uint8_t corner = 0;        // bit 0: corner node; clear: smooth node
};

// A node with both controls on its anchor.
CurveNode MakeCurveNode(float x, float y, uint8_t corner);

class PolygonShape : public Shape {
 public:
  PolygonShape() = default;
  PolygonShape(const PolygonShape& other);
  int32_t Kind() const override { return kPolygonShape; }
  void BuildPath() override;
  void Draw(int32_t mode) override;
  void DrawHandles(int32_t mode) override;
  void Write(OutputDriver& driver) override;
  Shape* Clone() const override;
  void GetBounds(Rect* out, int32_t includeLine) override;
  Tool* Editor() override;
  int32_t TouchesRect(float x1, float y1, float x2, float y2) override;
  int32_t HitInterior(float x, float y) override;
  int32_t SnapToOutline(float* x, float* y, float tolerance) override;

  // Node operations; each invalidates the cached bounds. Results 1 success, 0 failure.
  int32_t AddPoint(float x, float y);
  int32_t InsertNodeAt(float x, float y, float tolerance);
  int32_t DeleteNode(int32_t index);
  void Close();

  GrowArray<Point> points;
  int32_t closed = 0;
};

class CurveShape : public Shape {
 public:
  CurveShape() = default;
  CurveShape(const CurveShape& other);
  int32_t Kind() const override { return kCurveShape; }
  void BuildPath() override;
  void Draw(int32_t mode) override;
  void DrawHandles(int32_t mode) override;
  void Write(OutputDriver& driver) override;
  Shape* Clone() const override;
  void GetBounds(Rect* out, int32_t includeLine) override;
  Tool* Editor() override;
  int32_t TouchesRect(float x1, float y1, float x2, float y2) override;
  int32_t HitInterior(float x, float y) override;
  int32_t SnapToOutline(float* x, float* y, float tolerance) override;

  int32_t AddNode(const CurveNode& node);
  int32_t InsertNodeAt(float x, float y, float tolerance);
  int32_t DeleteNode(int32_t index);
  void ToggleCorner(int32_t index);
  void Close();
  // Gives every node smooth controls (the curve tool, after the points are clicked).
  void Smooth();

  GrowArray<CurveNode> nodes;
  int32_t closed = 0;
};

// Smoothing of n >= 2 nodes with tension 0.45.
void SmoothNodes(CurveNode* nodes, int32_t count, int32_t closed);

// Nearest point on a page-space Bezier within a square of half-side tol around (px, py):
// 10001 samples, the first qualifying run's closest point. False when none qualifies.
bool NearestOnBezier(const Point p[4], float px, float py, float tol, float* t, Point* at);

// Does the segment meet the square of half-side tol around (px, py)? (exact clip test)
bool SegmentNearPoint(float x1, float y1, float x2, float y2, float px, float py, float tol);

// The box of every anchor and used control point through the matrix.
Rect CurveBounds(const CurveNode* nodes, int32_t count, int32_t closed, const Matrix& m);

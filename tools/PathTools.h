// The curve (410) and polygon (414) tools: shapes built click by click and ended by a double
// click, and handle drags of existing points, anchors and control points.
#pragma once

#include <memory>

#include "model/GrowArray.h"
#include "model/PathShapes.h"
#include "tools/Tool.h"

// Handle of a polygon (point i) or curve (3i anchor, 3i + 1 first control, 3i + 2 second
// control of node i) within 3 pixels of the drawing point; -1 for none or another kind.
int PathHandleAt(Shape* shape, float x, float y);

class PathTool : public Tool {
 public:
  explicit PathTool(bool curve) : curve_(curve) {}
  ~PathTool() override;

  void BeginEdit(Shape* shape) override;
  void Activate() override;
  int HitHandle(float x, float y) override;
  void Deactivate() override;
  void MouseMove(float x, float y, int shift) override;
  void MouseDown(float x, float y, int shift) override;
  void MouseUp(float x, float y, int shift) override;
  void DoubleClick(float x, float y, int shift) override;

  enum State : int { kIdle = 0, kFirstSegment = 1, kAdding = 2, kAttached = 100, kDragging = 101 };
  int state() const { return state_; }

 private:
  const char* Message(int moment) const;
  int32_t Count() const;
  Point Anchor(int32_t i) const;
  bool Append(float x, float y, int shift);
  void RemoveLast();
  void MoveLast(float x, float y);
  void DragHandle(float x, float y);
  // Ends the shape being drawn by the double-click rule: closes it when the last point lies on
  // the first, then adds it. False when a two-node curve is left open to go on drawing.
  bool Finish();
  void Discard();
  void EraseFeedback();
  void DrawFeedback();

  bool curve_;
  int state_ = kIdle;
  int handle_ = -1;
  bool feedbackDrawn_ = false;
  // The shape being drawn (owned until added) or the one attached for editing (not owned).
  std::unique_ptr<Shape> fresh_;
  Shape* edited_ = nullptr;
  Rect before_;
  GrowArray<Point> savedPoints_;
  GrowArray<CurveNode> savedNodes_;
  int32_t savedClosed_ = 0;
};

// Creates and registers both tools (and names them the editors of their shapes).
void RegisterPathTools();

// The line, rectangle, ellipse and arc tools: one state machine that draws a new shape by
// dragging and drags the handles of an existing one for the selection tool. Each tool supplies
// its geometry, handles, constraint and messages.
#pragma once

#include <memory>

#include "model/Geometry.h"
#include "model/Shape.h"
#include "tools/Tool.h"

class ShapeTool : public Tool {
 public:
  enum State : int { kIdle = 0, kDrawing = 1, kArcSweep = 2, kAttached = 100, kDragging = 101 };

  ~ShapeTool() override;

  void BeginEdit(Shape* shape) override;
  void Activate() override;
  int HitHandle(float x, float y) override;
  void Deactivate() override;
  void MouseMove(float x, float y, int shift) override;
  void MouseDown(float x, float y, int shift) override;
  void MouseUp(float x, float y, int shift) override;

  int state() const { return state_; }

 protected:
  virtual const char* FirstMessage() const = 0;
  // Shown at the press of a new shape; null: none.
  virtual const char* SecondMessage() const = 0;
  virtual const char* ReleaseMessage() const { return FirstMessage(); }
  // A shape with every field 0 whose press fields are set from the point.
  virtual std::unique_ptr<Shape> NewShape(float x, float y) const = 0;
  // A move while drawing a new shape (the point is snapped).
  virtual void Update(Shape* shape, float x, float y, int shift) = 0;
  // Handle points in the shape's own coordinates, in test order; returns their count.
  virtual int Handles(const Shape* shape, Point out[4]) const = 0;
  virtual int FirstHandle() const { return 0; }
  virtual void MoveHandle(Shape* shape, int handle, float x, float y) = 0;
  // False when the finished shape is not worth adding.
  virtual bool Worth(const Shape*) const { return true; }
  // The state whose release adds the shape.
  virtual int FinalState() const { return kDrawing; }

  void StartShape(float x, float y);
  void Finish();
  void EraseFeedback();
  void ShowFeedback();

  int state_ = kIdle;
  Shape* target_ = nullptr;        // the shape being drawn or edited
  std::unique_ptr<Shape> fresh_;   // a new shape until it joins the drawing
  std::unique_ptr<Shape> before_;  // the edited shape as it was at the press
  Rect oldBounds_;
  int handle_ = -1;
  bool feedbackDrawn_ = false;
};

class LineTool : public ShapeTool {
 protected:
  const char* FirstMessage() const override;
  const char* SecondMessage() const override;
  std::unique_ptr<Shape> NewShape(float x, float y) const override;
  void Update(Shape* shape, float x, float y, int shift) override;
  int Handles(const Shape* shape, Point out[4]) const override;
  int FirstHandle() const override { return 1; }
  void MoveHandle(Shape* shape, int handle, float x, float y) override;
  bool Worth(const Shape* shape) const override;
};

class RectangleTool : public ShapeTool {
 protected:
  const char* FirstMessage() const override;
  const char* SecondMessage() const override;
  const char* ReleaseMessage() const override;
  std::unique_ptr<Shape> NewShape(float x, float y) const override;
  void Update(Shape* shape, float x, float y, int shift) override;
  int Handles(const Shape* shape, Point out[4]) const override;
  void MoveHandle(Shape* shape, int handle, float x, float y) override;
};

class EllipseTool : public ShapeTool {
 protected:
  const char* FirstMessage() const override;
  const char* SecondMessage() const override;
  std::unique_ptr<Shape> NewShape(float x, float y) const override;
  void Update(Shape* shape, float x, float y, int shift) override;
  int Handles(const Shape* shape, Point out[4]) const override;
  void MoveHandle(Shape* shape, int handle, float x, float y) override;
};

// Three clicks: the centre, then a press at the start angle dragged anti-clockwise to the end.
class ArcTool : public ShapeTool {
 public:
  void MouseMove(float x, float y, int shift) override;
  void MouseDown(float x, float y, int shift) override;
  void MouseUp(float x, float y, int shift) override;

 protected:
  const char* FirstMessage() const override;
  const char* SecondMessage() const override;
  std::unique_ptr<Shape> NewShape(float x, float y) const override;
  void Update(Shape* shape, float x, float y, int shift) override;
  int Handles(const Shape* shape, Point out[4]) const override;
  int FirstHandle() const override { return 1; }
  void MoveHandle(Shape* shape, int handle, float x, float y) override;
  int FinalState() const override { return kArcSweep; }
};

// Makes the eight drawing and transform tools (again for any id whose tool was replaced) and
// names the editing tool of each simple shape.
void CreateShapeTools();

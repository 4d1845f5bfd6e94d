// The scale, rotate, skew and reflect tools: a click (or drag) places the origin, a second
// drag shows the selection transformed about it, and the release applies one undoable
// transform.
#pragma once

#include <memory>
#include <vector>

#include "model/Shape.h"
#include "tools/Tool.h"

class EditAction;
class Drawing;

class TransformTool : public Tool {
 public:
  enum State : int { kNoOrigin = 0, kOriginPlaced = 1, kDragging = 2 };

  void Activate() override;
  void Deactivate() override;
  void MouseDown(float x, float y, int shift) override;
  void MouseMove(float x, float y, int shift) override;
  void MouseUp(float x, float y, int shift) override;

  int state() const { return state_; }

 protected:
  // "Scale", "Rotate", ...: the messages begin with it.
  virtual const char* Name() const = 0;
  // "scale", "rotate", ...: "To %s again, click origin".
  virtual const char* Verb() const = 0;
  // Works out the parameters from the origin, the press and the current point, showing them
  // in the status line where the tool does.
  virtual void Compute(int shift) = 0;
  // Applies the parameters to one shape (the live feedback), or builds the action.
  virtual void ApplyTo(Shape* shape) const = 0;
  virtual EditAction* MakeAction(Drawing* drawing) const = 0;
  // Reflect shows its line at the press already.
  virtual bool ShowsAtPress() const { return false; }

  float ox_ = 0, oy_ = 0;  // origin
  float px_ = 0, py_ = 0;  // press of the drag
  float qx_ = 0, qy_ = 0;  // current point

 private:
  void ShowFeedback();
  void DropFeedback();

  int state_ = kNoOrigin;
  std::vector<std::unique_ptr<Shape>> preview_;
};

class ScaleTool : public TransformTool {
 public:
  float sx = 1, sy = 1;

 protected:
  const char* Name() const override { return "Scale"; }
  const char* Verb() const override { return "scale"; }
  void Compute(int shift) override;
  void ApplyTo(Shape* shape) const override;
  EditAction* MakeAction(Drawing* drawing) const override;
};

class RotateTool : public TransformTool {
 public:
  float degrees = 0;

 protected:
  const char* Name() const override { return "Rotate"; }
  const char* Verb() const override { return "rotate"; }
  void Compute(int shift) override;
  void ApplyTo(Shape* shape) const override;
  EditAction* MakeAction(Drawing* drawing) const override;
};

class SkewTool : public TransformTool {
 public:
  float b = 0, c = 0;

 protected:
  const char* Name() const override { return "Skew"; }
  const char* Verb() const override { return "skew"; }
  void Compute(int shift) override;
  void ApplyTo(Shape* shape) const override;
  EditAction* MakeAction(Drawing* drawing) const override;
};

class ReflectTool : public TransformTool {
 public:
  float degrees = 0;

 protected:
  const char* Name() const override { return "Reflect"; }
  const char* Verb() const override { return "reflect"; }
  void Compute(int shift) override;
  void ApplyTo(Shape* shape) const override;
  EditAction* MakeAction(Drawing* drawing) const override;
  bool ShowsAtPress() const override { return true; }
};

// The text tool (411): new text boxes by drag or click, typing into them, editing the text of
// existing objects in place, and drags of a text's box handles.
#pragma once

#include <memory>

#include "model/TextShape.h"
#include "tools/Tool.h"

class TextTool : public Tool {
 public:
  TextTool();
  ~TextTool() override;

  void BeginEdit(Shape* shape) override;
  void Activate() override;
  int HitHandle(float x, float y) override;
  void Deactivate() override;
  void Key(int code) override;
  void MouseMove(float x, float y, int shift) override;
  void MouseDown(float x, float y, int shift) override;
  void MouseUp(float x, float y, int shift) override;

  enum State : int { kIdle = 0, kNew = 1, kAttached = 100, kDragging = 101, kEditing = 1000 };
  int state() const { return state_; }
  int caret() const { return caret_; }
  // The text being typed into (new or existing), or null.
  TextShape* text() const;

 private:
  // The caret at the point (the text's own coordinates), by the line and column under it.
  void PlaceCaret(float x, float y);
  // Where the caret is drawn: x and the baseline of its line, in the text's coordinates.
  void CaretPosition(float* x, float* baseline) const;
  void DrawTypingState(const Rect& area);
  void BoxFeedback(bool draw);
  Rect TypingArea();

  int state_ = kIdle;
  int handle_ = -1;
  int caret_ = 0;
  bool feedbackDrawn_ = false;
  std::unique_ptr<TextShape> fresh_;  // a new text, owned until it is added
  TextShape* edited_ = nullptr;       // an existing text being typed into or reshaped
  TextBuffer before_;                 // its text before editing, for the undo record
  float box_[4] = {0, 0, 0, 0};       // frame corners before a handle drag
  Rect oldBounds_;
};

void RegisterTextTool();

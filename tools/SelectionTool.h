// The selection tool: picks objects by click or rubber band (Shift toggles), moves the
// selection in the same drag, and hands a drag that starts on a handle of a selected object to
// the tool that edits that object.
#pragma once

#include "model/Geometry.h"
#include "render/DragLayer.h"
#include "tools/Tool.h"
#include "tools/ToolSupport.h"

class SelectionTool : public Tool {
 public:
  enum Mode { kRubberBand = 0, kMoving = 1, kHandleDrag = 2 };

  void Activate() override;
  void Deactivate() override;
  void MouseMove(float x, float y, int shift) override;
  void MouseDown(float x, float y, int shift) override;
  void MouseUp(float x, float y, int shift) override;
  void RightButtonDown(float x, float y, int shift) override;

 private:
  bool StartHandleDrag(float x, float y, int shift);
  void PickAt(float x, float y);
  void FinishRubberBand(int shift);
  void FinishMove(float x, float y);

  Mode mode_ = kRubberBand;
  Point start_, current_;
  Tool* editor_ = nullptr;
  RubberBand band_;
  DragLayer layer_;
};

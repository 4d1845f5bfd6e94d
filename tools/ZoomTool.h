// The zoom tool: a dragged rectangle fills the window; a click fits the page.
#pragma once

#include "tools/Tool.h"
#include "tools/ToolSupport.h"

class ZoomTool : public Tool {
 public:
  void Activate() override;
  void MouseMove(float x, float y, int shift) override;
  void MouseDown(float x, float y, int shift) override;
  void MouseUp(float x, float y, int shift) override;

 private:
  RubberBand band_;
};

// The scroll tool: the page follows the mouse while the button is held.
#pragma once

#include "model/Geometry.h"
#include "tools/Tool.h"

class ScrollTool : public Tool {
 public:
  void Activate() override;
  void Deactivate() override;
  void MouseMove(float x, float y, int shift) override;
  void MouseDown(float x, float y, int shift) override;
  void MouseUp(float x, float y, int shift) override;

 private:
  Point pressed_;
};

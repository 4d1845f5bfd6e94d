// The selection tool: picks, moves and hands handle drags to the editing tools.
#pragma once

#include "tools/Tool.h"

class SelectionTool : public Tool {
 public:
  void MouseMove(float, float, int) override {}
  void MouseDown(float, float, int) override {}
  void MouseUp(float, float, int) override {}
};

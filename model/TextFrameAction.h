// A drag of a text's box handle: the frame corners before it. Do and Undo both exchange them
// with the text's and lay the text out again.
#pragma once

#include "model/TextShape.h"
#include "model/UndoActions.h"

class TextFrameAction : public EditAction {
 public:
  TextFrameAction(Drawing* drawing, TextShape* shape, float x1, float y1, float x2, float y2);
  bool Valid() const override { return shape_ != nullptr; }
  void Do() override;
  void Undo() override;

 private:
  void Exchange();
  TextShape* shape_;
  float x1_, y1_, x2_, y2_;
};

// The Insert command as one step of the history: the shapes a file brought in. It is recorded
// after the insertion has put them on top of the drawing; Undo takes exactly them out again.
#pragma once

#include "model/UndoActions.h"

class InsertShapesAction : public EditAction {
 public:
  // The shapes from index `first` of the drawing's list to its end.
  InsertShapesAction(Drawing* drawing, int32_t first);
  ~InsertShapesAction() override;
  bool Valid() const override { return valid_; }
  void Do() override;    // back on top, selected
  void Undo() override;  // out of the drawing, owned here

 private:
  ShapeList shapes_;
  bool owned_ = false;
  bool valid_ = false;
};

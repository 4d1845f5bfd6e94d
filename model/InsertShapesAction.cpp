#include "model/InsertShapesAction.h"

InsertShapesAction::InsertShapesAction(Drawing* drawing, int32_t first) : EditAction(drawing) {
  if (!drawing) return;
  const ShapeList& all = drawing->shapes();
  if (first < 0 || first >= all.Count() || !shapes_.Reserve(all.Count() - first)) return;
  for (int32_t i = first; i < all.Count(); ++i) shapes_.Append(all[i]);
  valid_ = true;
}

InsertShapesAction::~InsertShapesAction() {
  if (!owned_) return;
  for (Shape* shape : shapes_) delete shape;
}

void InsertShapesAction::Do() {
  if (!owned_) return;
  // Room first, so the shapes go back all together or not at all.
  if (!drawing_->shapes().Reserve(drawing_->shapes().Count() + shapes_.Count()) ||
      !drawing_->selection().Reserve(shapes_.Count()))
    return;
  drawing_->ClearSelection();
  for (Shape* shape : shapes_) {
    drawing_->AddShape(shape);
    drawing_->Select(shape);
  }
  owned_ = false;
  drawing_->SetModified();
}

void InsertShapesAction::Undo() {
  if (owned_) return;
  drawing_->ClearSelection();
  for (Shape* shape : shapes_) drawing_->shapes().Remove(shape);
  owned_ = true;
  drawing_->SetModified();
}

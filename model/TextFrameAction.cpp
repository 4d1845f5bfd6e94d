#include "model/TextFrameAction.h"

#include <utility>

TextFrameAction::TextFrameAction(Drawing* drawing, TextShape* shape, float x1, float y1, float x2,
                                 float y2)
    : EditAction(drawing), shape_(shape), x1_(x1), y1_(y1), x2_(x2), y2_(y2) {}

void TextFrameAction::Exchange() {
  BoxShape& f = shape_->frame();
  std::swap(f.x1, x1_);
  std::swap(f.y1, y1_);
  std::swap(f.x2, x2_);
  std::swap(f.y2, y2_);
  shape_->Layout();
  if (drawing_) drawing_->SetModified();
}

void TextFrameAction::Do() { Exchange(); }
void TextFrameAction::Undo() { Exchange(); }

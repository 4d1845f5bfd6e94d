#include "model/ContainerShapes.h"

#include <new>

#include "model/SimpleShapes.h"
#include "output/OutputDriver.h"

ContainerShape::ContainerShape() : children_(new (std::nothrow) ShapeList()) {}

// A child that cannot be cloned is left out; Clone notices the short list and fails.
ContainerShape::ContainerShape(const ContainerShape& other)
    : Shape(other), children_(new (std::nothrow) ShapeList()) {
  if (!children_ || !other.children_) return;
  if (!children_->Reserve(other.children_->Count())) return;
  for (Shape* child : *other.children_) {
    Shape* copy = child->Clone();
    if (!copy) return;
    children_->Append(copy);
  }
}

ContainerShape::~ContainerShape() { DestroyShapes(children_.get()); }

void ContainerShape::ReleaseChildren() {
  if (children_) children_->Clear();
}

void ContainerShape::DrawHandles(int32_t) {
  if (!children_) return;
  for (Shape* child : *children_) child->DrawHandles(0);
}

void ContainerShape::Write(OutputDriver& driver) {
  bool compound = Kind() == kCompoundShape;
  if (compound) {
    driver.BeginCompound();
  } else {
    driver.BeginGroup();
  }
  if (children_) {
    for (Shape* child : *children_) child->Write(driver);
  }
  if (compound) {
    driver.EndCompound();
  } else {
    driver.EndGroup();
  }
}

void ContainerShape::GetBounds(Rect* out, int32_t includeLine) {
  Rect r;
  if (children_) {
    for (Shape* child : *children_) {
      Rect c;
      child->GetBounds(&c, includeLine);
      r = UnionRect(r, c);
    }
  }
  *out = r;
}

int32_t ContainerShape::TouchesRect(float x1, float y1, float x2, float y2) {
  if (!children_) return 0;
  for (Shape* child : *children_)
    if (child->TouchesRect(x1, y1, x2, y2)) return 1;
  return 0;
}

int32_t ContainerShape::HitInterior(float x, float y) {
  if (!children_) return 0;
  for (Shape* child : *children_)
    if (child->HitInterior(x, y)) return 1;
  return 0;
}

namespace {

template <typename F>
void ForEachChild(const ShapeList* list, F f) {
  if (!list) return;
  for (Shape* child : *list) f(child);
}

}  // namespace

// Paint, arrow and transform changes reach every child; the container's own matrix stays the
// identity and its own style is never consulted.
void ContainerShape::SetPaintStyle(const PaintStyle& style) {
  ForEachChild(children_.get(), [&](Shape* s) { s->SetPaintStyle(style); });
}

void ContainerShape::GetPaintStyle(PaintStyle* out) const {
  if (children_ && !children_->Empty()) (*children_)[0]->GetPaintStyle(out);
}

void ContainerShape::SetPattern(int32_t pattern) {
  ForEachChild(children_.get(), [&](Shape* s) { s->SetPattern(pattern); });
}
void ContainerShape::SetDash(int32_t dash) {
  ForEachChild(children_.get(), [&](Shape* s) { s->SetDash(dash); });
}
void ContainerShape::SetLineWidth(float width) {
  ForEachChild(children_.get(), [&](Shape* s) { s->SetLineWidth(width); });
}
void ContainerShape::SetFillColor(const Color& color) {
  ForEachChild(children_.get(), [&](Shape* s) { s->SetFillColor(color); });
}
void ContainerShape::SetStrokeColor(const Color& color) {
  ForEachChild(children_.get(), [&](Shape* s) { s->SetStrokeColor(color); });
}
void ContainerShape::SetNoFill() {
  ForEachChild(children_.get(), [&](Shape* s) { s->SetNoFill(); });
}
void ContainerShape::SetNoStroke() {
  ForEachChild(children_.get(), [&](Shape* s) { s->SetNoStroke(); });
}

void ContainerShape::SetArrows(const Arrowhead& left, const Arrowhead& right) {
  ForEachChild(children_.get(), [&](Shape* s) { s->SetArrows(left, right); });
}

// Every child answers in turn, so the last child's arrows are the result.
void ContainerShape::GetArrows(Arrowhead* left, Arrowhead* right) const {
  ForEachChild(children_.get(), [&](Shape* s) { s->GetArrows(left, right); });
}

void ContainerShape::Move(float dx, float dy) {
  ForEachChild(children_.get(), [&](Shape* s) { s->Move(dx, dy); });
}
void ContainerShape::Scale(float cx, float cy, float sx, float sy) {
  ForEachChild(children_.get(), [&](Shape* s) { s->Scale(cx, cy, sx, sy); });
}
void ContainerShape::Rotate(float cx, float cy, float degrees) {
  ForEachChild(children_.get(), [&](Shape* s) { s->Rotate(cx, cy, degrees); });
}
void ContainerShape::Reflect(float cx, float cy, float degrees) {
  ForEachChild(children_.get(), [&](Shape* s) { s->Reflect(cx, cy, degrees); });
}
void ContainerShape::Skew(float cx, float cy, float b, float c) {
  ForEachChild(children_.get(), [&](Shape* s) { s->Skew(cx, cy, b, c); });
}

namespace {

// A copy whose child list came out short (a child could not be cloned) is discarded.
template <typename T>
Shape* CloneContainer(const T& original) {
  T* copy = new (std::nothrow) T(original);
  if (!copy) return nullptr;
  const ShapeList* from = original.children();
  const ShapeList* to = copy->children();
  int32_t want = from ? from->Count() : 0;
  if ((from && !to) || (to ? to->Count() : 0) != want) {
    delete copy;
    return nullptr;
  }
  return copy;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// GroupShape

// The members' outlines one after another; a group paints through its members instead.
void GroupShape::BuildPath() {
  if (!children_) return;
  for (Shape* child : *children_) child->BuildPath();
}

void GroupShape::Draw(int32_t mode) {
  if (!children_) return;
  for (Shape* child : *children_)
    if (!child->IsHidden()) child->Draw(mode);
}

Shape* GroupShape::Clone() const { return CloneContainer(*this); }

Tool* GroupShape::Editor() { return TheShapeEditors().group; }

// ---------------------------------------------------------------------------------------------
// CompoundShape

void CompoundShape::BuildPath() {
  if (!children_) return;
  for (Shape* child : *children_) child->BuildPath();
}

// One path for all children, painted once with the first child's style, so overlapping
// children cut holes where the fill rule says.
void CompoundShape::Draw(int32_t mode) {
  if (!children_ || children_->Empty()) return;
  (*children_)[0]->GetPaintStyle(&style_);
  DrawPath(mode);
}

Shape* CompoundShape::Clone() const { return CloneContainer(*this); }

Tool* CompoundShape::Editor() { return TheShapeEditors().compound; }

#include "model/UndoActions.h"

#include <algorithm>
#include <new>
#include <utility>

#include "model/ImageShape.h"
#include "model/SimpleShapes.h"

bool RunAction(Drawing* drawing, EditAction* action) {
  if (!action) return false;
  if (!drawing || !action->Valid()) {
    delete action;
    return false;
  }
  action->Do();
  return drawing->undo().Record(action);
}

// ---------------------------------------------------------------------------------------------
// Delete

DeleteShapesAction::DeleteShapesAction(Drawing* drawing) : EditAction(drawing) {
  valid_ = drawing && shapes_.CopyFrom(drawing->selection()) && indices_.Reserve(shapes_.Count());
}

DeleteShapesAction::~DeleteShapesAction() {
  if (!owned_) return;
  for (int32_t i = 0; i < indices_.Count(); ++i)
    if (indices_[i] >= 0) delete shapes_[i];
}

void DeleteShapesAction::Do() {
  if (owned_) return;
  ShapeList& list = drawing_->shapes();
  indices_.Clear();
  for (Shape* shape : shapes_) {
    // A shape the drawing does not hold is never taken over (-1 marks it).
    int32_t index = list.IndexOf(shape);
    if (index >= 0) list.RemoveAt(index);
    indices_.Append(index);  // room reserved at construction
  }
  drawing_->selection().Clear();
  owned_ = 1;
  drawing_->SetModified();
}

void DeleteShapesAction::Undo() {
  if (!owned_) return;
  ShapeList& list = drawing_->shapes();
  // Make room first so that no shape is left half way between owners.
  if (!list.Reserve(list.Count() + indices_.Count())) return;
  for (int32_t i = indices_.Count() - 1; i >= 0; --i) {
    if (indices_[i] < 0) continue;
    list.Insert(std::min(indices_[i], list.Count()), shapes_[i]);
  }
  owned_ = 0;
  drawing_->SetModified();
}

// ---------------------------------------------------------------------------------------------
// Add shape

AddShapeAction::AddShapeAction(Drawing* drawing, Shape* shape)
    : EditAction(drawing), shape_(shape) {}

AddShapeAction::~AddShapeAction() {
  if (owned_) delete shape_;
}

void AddShapeAction::Do() {
  if (!owned_ || !shape_) return;
  if (!drawing_->AddShape(shape_)) return;  // stays ours when the list cannot grow
  owned_ = 0;
}

void AddShapeAction::Undo() {
  if (owned_) return;
  drawing_->shapes().Remove(shape_);
  drawing_->ClearSelection();
  owned_ = 1;
  drawing_->SetModified();
}

// ---------------------------------------------------------------------------------------------
// Reshape

namespace {

template <typename T>
void SwapFields(Shape* a, Shape* b, float T::*const* fields, int32_t count) {
  T* p = static_cast<T*>(a);
  T* q = static_cast<T*>(b);
  for (int32_t i = 0; i < count; ++i) std::swap(p->*fields[i], q->*fields[i]);
}

}  // namespace

bool ExchangeShapeContents(Shape* a, Shape* b) {
  if (!a || !b || a == b || a->Kind() != b->Kind()) return false;
  switch (a->Kind()) {
    case kLineShape: {
      static float LineShape::*const kFields[] = {&LineShape::x1, &LineShape::y1, &LineShape::x2,
                                                  &LineShape::y2};
      SwapFields<LineShape>(a, b, kFields, 4);
      break;
    }
    case kBoxShape: {
      static float BoxShape::*const kFields[] = {&BoxShape::x1, &BoxShape::y1, &BoxShape::x2,
                                                 &BoxShape::y2};
      SwapFields<BoxShape>(a, b, kFields, 4);
      break;
    }
    case kOvalShape: {
      static float OvalShape::*const kFields[] = {&OvalShape::cx, &OvalShape::cy, &OvalShape::rx,
                                                  &OvalShape::ry};
      SwapFields<OvalShape>(a, b, kFields, 4);
      break;
    }
    case kArcShape: {
      static float ArcShape::*const kFields[] = {&ArcShape::cx,         &ArcShape::cy,
                                                 &ArcShape::rx,         &ArcShape::ry,
                                                 &ArcShape::startAngle, &ArcShape::endAngle};
      SwapFields<ArcShape>(a, b, kFields, 6);
      break;
    }
    case kPolygonShape: {
      auto* p = static_cast<PolygonShape*>(a);
      auto* q = static_cast<PolygonShape*>(b);
      p->points.Swap(q->points);
      std::swap(p->closed, q->closed);
      break;
    }
    case kCurveShape: {
      auto* p = static_cast<CurveShape*>(a);
      auto* q = static_cast<CurveShape*>(b);
      p->nodes.Swap(q->nodes);
      std::swap(p->closed, q->closed);
      break;
    }
    case kImageShape:
      break;  // only the placement changes; the pixels stay with their shape
    default:
      return false;  // containers forward to their children; texts have an action of their own
  }
  float ma[6], mb[6];
  a->GetMatrix(ma);
  b->GetMatrix(mb);
  a->SetMatrixFrom(mb);
  b->SetMatrixFrom(ma);
  PaintStyle sa, sb;
  a->GetPaintStyle(&sa);
  b->GetPaintStyle(&sb);
  a->SetPaintStyle(sb);
  b->SetPaintStyle(sa);
  Arrowhead la, ra, lb, rb;
  a->GetArrows(&la, &ra);
  b->GetArrows(&lb, &rb);
  a->SetArrows(lb, rb);
  b->SetArrows(la, ra);
  a->InvalidateBounds();
  b->InvalidateBounds();
  return true;
}

ReshapeAction::ReshapeAction(Drawing* drawing, Shape* shape, Shape* before)
    : EditAction(drawing), shape_(shape), before_(before) {}

ReshapeAction::~ReshapeAction() { delete before_; }

bool ReshapeAction::Valid() const {
  if (!shape_ || !before_ || shape_ == before_ || shape_->Kind() != before_->Kind()) return false;
  int32_t kind = shape_->Kind();
  return kind != kGroupShape && kind != kCompoundShape && kind != kTextShape;
}

void ReshapeAction::Exchange() {
  ExchangeShapeContents(shape_, before_);
  drawing_->SetModified();
}

void ReshapeAction::Do() { Exchange(); }
void ReshapeAction::Undo() { Exchange(); }

// ---------------------------------------------------------------------------------------------
// Edit nodes

EditNodesAction::EditNodesAction(Drawing* drawing, PolygonShape* shape, GrowArray<Point>&& points,
                                 int32_t closed)
    : EditAction(drawing), polygon_(shape), points_(std::move(points)), closed_(closed) {}

EditNodesAction::EditNodesAction(Drawing* drawing, CurveShape* shape, GrowArray<CurveNode>&& nodes,
                                 int32_t closed)
    : EditAction(drawing), curve_(shape), nodes_(std::move(nodes)), closed_(closed) {}

void EditNodesAction::Exchange() {
  if (polygon_) {
    polygon_->points.Swap(points_);
    std::swap(polygon_->closed, closed_);
    polygon_->InvalidateBounds();
  } else if (curve_) {
    curve_->nodes.Swap(nodes_);
    std::swap(curve_->closed, closed_);
    curve_->InvalidateBounds();
  }
  drawing_->SetModified();
}

void EditNodesAction::Do() { Exchange(); }
void EditNodesAction::Undo() { Exchange(); }

// ---------------------------------------------------------------------------------------------
// Edit text

EditTextAction::EditTextAction(Drawing* drawing, TextShape* shape, TextBuffer&& before)
    : EditAction(drawing), shape_(shape), before_(std::move(before)) {}

void EditTextAction::Exchange() {
  if (!shape_) return;          // recorded without running, so Valid() may not have been asked
  shape_->SwapBuffer(before_);  // invalidates the bounds and lays the text out again
  drawing_->SetModified();
}

void EditTextAction::Do() { Exchange(); }
void EditTextAction::Undo() { Exchange(); }

// ---------------------------------------------------------------------------------------------
// Actions on the selection

SelectionAction::SelectionAction(Drawing* drawing) : EditAction(drawing) {
  valid_ =
      drawing && shapes_.CopyFrom(drawing->selection()) && CollectLeafShapes(shapes_, &leaves_);
}

PaintChange PaintChange::WholeStyle(const PaintStyle& style) {
  PaintChange c;
  c.kind = kWholeStyle;
  c.style = style;
  return c;
}

PaintChange PaintChange::FillColor(const Color& color) {
  PaintChange c;
  c.kind = kFillColor;
  c.color = color;
  return c;
}

PaintChange PaintChange::StrokeColor(const Color& color) {
  PaintChange c;
  c.kind = kStrokeColor;
  c.color = color;
  return c;
}

PaintChange PaintChange::Pattern(int32_t pattern) {
  PaintChange c;
  c.kind = kPattern;
  c.index = pattern;
  return c;
}

PaintChange PaintChange::Dash(int32_t dash) {
  PaintChange c;
  c.kind = kDash;
  c.index = dash;
  return c;
}

PaintChange PaintChange::LineWidth(float width) {
  PaintChange c;
  c.kind = kLineWidth;
  c.width = width;
  return c;
}

PaintChange PaintChange::NoFill() {
  PaintChange c;
  c.kind = kNoFill;
  return c;
}

PaintChange PaintChange::NoStroke() {
  PaintChange c;
  c.kind = kNoStroke;
  return c;
}

LeafStyleAction::LeafStyleAction(Drawing* drawing) : SelectionAction(drawing) {
  saved_.Reserve(leaves_.Count());
}

bool LeafStyleAction::Valid() const {
  return SelectionAction::Valid() && saved_.Capacity() >= leaves_.Count();
}

void LeafStyleAction::SaveLeafStyles() {
  saved_.Clear();
  for (Shape* leaf : leaves_) {
    PaintStyle style;
    leaf->GetPaintStyle(&style);
    saved_.Append(style);
  }
}

void LeafStyleAction::Undo() {
  int32_t n = std::min(saved_.Count(), leaves_.Count());
  for (int32_t i = 0; i < n; ++i) leaves_[i]->SetPaintStyle(saved_[i]);
  drawing_->SetModified();
}

PaintStyleAction::PaintStyleAction(Drawing* drawing, const PaintChange& change)
    : LeafStyleAction(drawing), change_(change) {}

void PaintStyleAction::Do() {
  SaveLeafStyles();
  for (Shape* shape : shapes_) {
    switch (change_.kind) {
      case PaintChange::kWholeStyle:
        shape->SetPaintStyle(change_.style);
        break;
      case PaintChange::kFillColor:
        shape->SetFillColor(change_.color);
        break;
      case PaintChange::kStrokeColor:
        shape->SetStrokeColor(change_.color);
        break;
      case PaintChange::kPattern:
        shape->SetPattern(change_.index);
        break;
      case PaintChange::kDash:
        shape->SetDash(change_.index);
        break;
      case PaintChange::kLineWidth:
        shape->SetLineWidth(change_.width);
        break;
      case PaintChange::kNoFill:
        shape->SetNoFill();
        break;
      case PaintChange::kNoStroke:
        shape->SetNoStroke();
        break;
    }
  }
  drawing_->SetModified();
}

// ---------------------------------------------------------------------------------------------
// Text colour, font, leading and alignment

TextColorAction::TextColorAction(Drawing* drawing, const Color& color)
    : LeafStyleAction(drawing), color_(color) {}

void TextColorAction::Do() {
  SaveLeafStyles();
  // The leaves reach into groups; only the texts among them change.
  for (Shape* leaf : leaves_)
    if (leaf->Kind() == kTextShape) leaf->SetFillColor(color_);
  drawing_->SetModified();
}

TextStyleChange TextStyleChange::FontAndSize(const std::string& font, float size) {
  TextStyleChange c;
  c.kind = kFontAndSize;
  c.font = font;
  c.size = size;
  return c;
}

TextStyleChange TextStyleChange::Leading(float leading) {
  TextStyleChange c;
  c.kind = kLeading;
  c.leading = leading;
  return c;
}

TextStyleChange TextStyleChange::Alignment(int32_t alignment) {
  TextStyleChange c;
  c.kind = kAlignment;
  c.alignment = alignment;
  return c;
}

TextStyleAction::TextStyleAction(Drawing* drawing, const TextStyleChange& change)
    : SelectionAction(drawing) {
  // Saved once: whenever Do runs (first time or redo) the texts are as they are now.
  try {
    change_ = change;
    for (Shape* leaf : leaves_) {
      if (leaf->Kind() != kTextShape) continue;
      auto* text = static_cast<TextShape*>(leaf);
      saved_.push_back(Saved{text, text->font(), text->size(), text->leading(), text->alignment()});
    }
    ready_ = true;
  } catch (const std::bad_alloc&) {
    saved_.clear();
  }
}

void TextStyleAction::Do() {
  for (Saved& s : saved_) {
    switch (change_.kind) {
      case TextStyleChange::kFontAndSize:
        // No font named: each text keeps its own and only the size changes.
        s.text->SetFontAndSize(change_.font.empty() ? s.font : change_.font, change_.size);
        break;
      case TextStyleChange::kLeading:
        s.text->SetLeading(change_.leading);
        break;
      case TextStyleChange::kAlignment:
        s.text->SetAlignment(change_.alignment);
        break;
    }
  }
  drawing_->SetModified();
}

void TextStyleAction::Undo() {
  for (const Saved& s : saved_) s.text->SetTextStyle(s.font, s.size, s.leading, s.alignment);
  drawing_->SetModified();
}

MatrixAction::MatrixAction(Drawing* drawing) : SelectionAction(drawing) {
  saved_.Reserve(leaves_.Count());
}

bool MatrixAction::Valid() const {
  return SelectionAction::Valid() && saved_.Capacity() >= leaves_.Count();
}

void MatrixAction::Do() {
  // Containers keep the identity and pass transforms on, so the leaves hold the placement.
  saved_.Clear();
  for (Shape* leaf : leaves_) {
    float m[6];
    leaf->GetMatrix(m);
    saved_.Append(MakeMatrix(m[0], m[1], m[2], m[3], m[4], m[5]));
  }
  Apply();
  drawing_->SetModified();
}

void MatrixAction::Undo() {
  int32_t n = std::min(saved_.Count(), leaves_.Count());
  for (int32_t i = 0; i < n; ++i) {
    const Matrix& m = saved_[i];
    leaves_[i]->SetMatrix(m.a, m.b, m.c, m.d, m.tx, m.ty);
  }
  drawing_->SetModified();
}

TransformAction::TransformAction(Drawing* drawing, Kind kind, float p0, float p1, float p2,
                                 float p3)
    : MatrixAction(drawing), kind_(kind), p_{p0, p1, p2, p3} {}

TransformAction* TransformAction::Move(Drawing* drawing, float dx, float dy) {
  return new (std::nothrow) TransformAction(drawing, kMove, dx, dy, 0, 0);
}

TransformAction* TransformAction::Scale(Drawing* drawing, float cx, float cy, float sx, float sy) {
  return new (std::nothrow) TransformAction(drawing, kScale, cx, cy, sx, sy);
}

TransformAction* TransformAction::Rotate(Drawing* drawing, float cx, float cy, float degrees) {
  return new (std::nothrow) TransformAction(drawing, kRotate, cx, cy, degrees, 0);
}

TransformAction* TransformAction::Reflect(Drawing* drawing, float cx, float cy, float degrees) {
  return new (std::nothrow) TransformAction(drawing, kReflect, cx, cy, degrees, 0);
}

TransformAction* TransformAction::Skew(Drawing* drawing, float cx, float cy, float b, float c) {
  return new (std::nothrow) TransformAction(drawing, kSkew, cx, cy, b, c);
}

void TransformAction::Apply() {
  for (Shape* shape : shapes_) {
    switch (kind_) {
      case kMove:
        shape->Move(p_[0], p_[1]);
        break;
      case kScale:
        shape->Scale(p_[0], p_[1], p_[2], p_[3]);
        break;
      case kRotate:
        shape->Rotate(p_[0], p_[1], p_[2]);
        break;
      case kReflect:
        shape->Reflect(p_[0], p_[1], p_[2]);
        break;
      case kSkew:
        shape->Skew(p_[0], p_[1], p_[2], p_[3]);
        break;
    }
  }
}

void AlignAction::Apply() { AlignShapes(shapes_, mode_); }

void SpaceEvenlyAction::Apply() { SpaceShapesEvenly(shapes_, mode_); }

// ---------------------------------------------------------------------------------------------
// Align and space evenly

bool AlignShapes(const ShapeList& shapes, int32_t mode) {
  if (mode < 0 || mode > 5 || shapes.Empty()) return true;
  Rect r = BoundsOfList(shapes, 1);
  for (Shape* shape : shapes) {
    Rect b;
    shape->GetBounds(&b, 1);
    float dx = 0, dy = 0;
    switch (mode) {
      case 0:
        dx = r.x1 - b.x1;
        break;
      case 1:
        dx = r.x2 - b.x2;
        break;
      case 2:
        dy = r.y2 - b.y2;
        break;
      case 3:
        dy = r.y1 - b.y1;
        break;
      case 4:
        dx = (r.x1 + r.x2) / 2 - (b.x1 + b.x2) / 2;
        break;
      case 5:
        dy = (r.y1 + r.y2) / 2 - (b.y1 + b.y2) / 2;
        break;
    }
    shape->Move(dx, dy);
  }
  return true;
}

namespace {

struct SpacedShape {
  Shape* shape;
  Rect bounds;
  float key;  // the centre along the spacing direction
};

}  // namespace

bool SpaceShapesEvenly(const ShapeList& shapes, int32_t mode) {
  int32_t n = shapes.Count();
  if (mode < 0 || mode > 3 || n < 3) return true;
  const bool vertical = mode == 0 || mode == 2;
  GrowArray<SpacedShape> items;
  if (!items.Reserve(n)) return false;
  for (Shape* shape : shapes) {
    SpacedShape item{shape, Rect{}, 0};
    shape->GetBounds(&item.bounds, 1);
    item.key =
        vertical ? (item.bounds.y1 + item.bounds.y2) / 2 : (item.bounds.x1 + item.bounds.x2) / 2;
    items.Append(item);
  }
  // Descending by centre, where centres compare by their difference truncated to a whole
  // number: trunc(b - a) < 0 exactly when b - a <= -1. That relation is not a strict weak
  // order (near-equal centres are "equal" without being transitive), which only a stable
  // merge sort tolerates safely; it also keeps selection order among near-equal centres.
  std::stable_sort(items.begin(), items.end(), [](const SpacedShape& a, const SpacedShape& b) {
    return b.key - a.key <= -1.0f;
  });
  const SpacedShape& first = items[0];
  const SpacedShape& last = items[n - 1];
  if (mode == 0 || mode == 1) {
    float start = vertical ? first.bounds.y2 : first.bounds.x2;
    float end = vertical ? last.bounds.y1 : last.bounds.x1;
    float sum = 0;
    for (const SpacedShape& item : items)
      sum += vertical ? item.bounds.y2 - item.bounds.y1 : item.bounds.x2 - item.bounds.x1;
    float gap = (start - end - sum) / float(n - 1);
    float cur = start;
    for (const SpacedShape& item : items) {
      if (vertical) {
        item.shape->Move(0, cur - item.bounds.y2);
        cur -= item.bounds.y2 - item.bounds.y1 + gap;
      } else {
        item.shape->Move(cur - item.bounds.x2, 0);
        cur -= item.bounds.x2 - item.bounds.x1 + gap;
      }
    }
  } else {
    float c0 = first.key;
    float step = (last.key - c0) / float(n - 1);
    for (int32_t i = 0; i < n; ++i) {
      float d = c0 - items[i].key + float(i) * step;
      if (vertical) {
        items[i].shape->Move(0, d);
      } else {
        items[i].shape->Move(d, 0);
      }
    }
  }
  return true;
}

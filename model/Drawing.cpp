#include "model/Drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "model/ContainerShapes.h"
#include "model/HitIndex.h"
#include "model/ShapeQuery.h"
#include "model/TextShape.h"
#include "model/UndoActions.h"

std::string CountMessage(const char* format, int32_t count) {
  const char* word = count == 1 ? "object" : "objects";
  char buffer[128];
  int n = std::snprintf(buffer, sizeof buffer, format, int(count), word);
  if (n < 0) return std::string();
  if (size_t(n) < sizeof buffer) return std::string(buffer, size_t(n));
  std::string text(size_t(n) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, int(count), word);
  text.resize(size_t(n));
  return text;
}

Drawing::Drawing() = default;

Drawing::~Drawing() {
  ForgetHitIndexOf(&shapes_);
  ForgetHitIndexOf(&selection_);
  ForgetHitIndexOf(&clipboard_);
  NoteShapesChanged();
  undo_.Clear();
  selection_.Clear();
  DestroyShapes(&shapes_);
  DestroyShapes(&clipboard_);
}

int32_t Drawing::PageWidth() const { return pageSize == kPageA4 ? 595 : 612; }

int32_t Drawing::PageHeight() const {
  switch (pageSize) {
    case kPageLegal:
      return 1008;
    case kPageA4:
      return 842;
    default:
      return 792;
  }
}

std::string Drawing::Title() const {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "Untitled";
  return path.substr(slash + 1);
}

int32_t Drawing::AddShape(Shape* shape) {
  if (!shape || !shapes_.Append(shape)) return 0;
  SetModified();
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Selection

void Drawing::SelectAll() {
  if (!selection_.CopyFrom(shapes_)) selection_.Clear();
  UpdateSelectionStatus();
}

void Drawing::ClearSelection() { selection_.Clear(); }

int32_t Drawing::Select(Shape* shape) {
  if (!shape) return 0;
  if (IsSelected(shape)) return 1;
  return selection_.Append(shape) ? 1 : 0;
}

bool Drawing::IsSelected(const Shape* shape) const {
  return selection_.IndexOf(const_cast<Shape*>(shape)) >= 0;
}

void Drawing::UpdateSelectionStatus() {
  int32_t n = selection_.Count();
  status = n == 0 ? std::string() : CountMessage("%d %s selected", n);
}

void Drawing::SnapToGrid(float* x, float* y) const {
  if (!grid.snap) return;
  // A spacing of 0 would divide by zero; that axis is left as it is.
  if (grid.hSpacing != 0) {
    double h = grid.hSpacing;
    *x = float(std::trunc(double(*x) / h + 0.5) * h);
  }
  if (grid.vSpacing != 0) {
    double v = grid.vSpacing;
    *y = float(std::trunc(double(*y) / v + 0.5) * v);
  }
}

// ---------------------------------------------------------------------------------------------
// Edit commands

namespace {

// Clones every member of `from` into `to` (empty on entry). False, with `to` empty again,
// when a clone or the list cannot be made.
bool CloneShapes(const ShapeList& from, ShapeList* to) {
  if (!to->Reserve(from.Count())) return false;
  for (Shape* shape : from) {
    Shape* copy = shape->Clone();
    if (!copy) {
      DestroyShapes(to);
      return false;
    }
    to->Append(copy);
  }
  return true;
}

}  // namespace

void Drawing::Clear() {
  if (selection_.Empty()) return;
  // The action clears the selection when it runs.
  RunAction(this, new (std::nothrow) DeleteShapesAction(this));
}

void Drawing::Cut() {
  if (selection_.Empty()) return;
  // Room first: a shape must never be out of the drawing without being in the clipboard.
  if (!clipboard_.Reserve(selection_.Count())) return;
  DestroyShapes(&clipboard_);
  for (Shape* shape : selection_) {
    int32_t index = shapes_.IndexOf(shape);
    if (index < 0) continue;
    shapes_.RemoveAt(index);
    clipboard_.Append(shape);
  }
  for (Shape* shape : clipboard_) shape->Move(float(grid.hSpacing), float(grid.vSpacing));
  selection_.Clear();
  status = CountMessage("%d %s cut to internal clipboard", clipboard_.Count());
  undo_.Clear();
  SetModified();
}

void Drawing::Copy() {
  if (selection_.Empty()) return;
  ShapeList copies;
  if (!CloneShapes(selection_, &copies)) return;  // the old clipboard stays as it was
  DestroyShapes(&clipboard_);
  NoteShapesChanged();  // freed shapes may come back at the same addresses
  clipboard_.Swap(copies);
  for (Shape* shape : clipboard_) shape->Move(float(grid.hSpacing), float(grid.vSpacing));
  status = CountMessage("%d %s copied to internal clipboard", clipboard_.Count());
}

void Drawing::Paste() {
  if (clipboard_.Empty()) {
    status = "Internal clipboard is empty";
    return;
  }
  ShapeList copies;
  if (!CloneShapes(clipboard_, &copies)) return;
  if (!shapes_.Reserve(shapes_.Count() + copies.Count()) || !selection_.Reserve(copies.Count())) {
    DestroyShapes(&copies);
    return;
  }
  selection_.Clear();
  for (Shape* shape : copies) {
    shapes_.Append(shape);
    selection_.Append(shape);
  }
  status = CountMessage("%d %s pasted from internal clipboard", copies.Count());
  undo_.Clear();
  SetModified();
}

void Drawing::BringToFront() {
  if (selection_.Empty()) return;
  // Removing first frees the slot the append needs, so this cannot fail half way.
  for (Shape* shape : selection_)
    if (shapes_.Remove(shape)) shapes_.Append(shape);
  undo_.Clear();
  SetModified();
}

void Drawing::SendToBack() {
  if (selection_.Empty()) return;
  for (Shape* shape : selection_)
    if (shapes_.Remove(shape)) shapes_.Insert(0, shape);
  undo_.Clear();
  SetModified();
}

void Drawing::Group() {
  if (selection_.Empty()) return;
  GroupShape* group = new (std::nothrow) GroupShape;
  if (!group || !group->children() || !group->children()->Reserve(selection_.Count())) {
    delete group;
    return;
  }
  ShapeList* children = group->children();
  int32_t lowest = shapes_.Count();
  // Children in selection order, not z-order: the order the user picked them.
  for (Shape* shape : selection_) {
    int32_t index = shapes_.IndexOf(shape);
    if (index < 0) continue;
    lowest = std::min(lowest, index);
    children->Append(shape);
  }
  if (children->Empty()) {
    delete group;
    return;
  }
  for (Shape* shape : *children) shapes_.Remove(shape);
  // The list shrank by at least one, so neither insertion needs to grow.
  shapes_.Insert(lowest, group);
  selection_.Clear();
  selection_.Append(group);
  undo_.Clear();
  SetModified();
}

namespace {

// Puts the children of `container` in its place in `shapes` and in `selection`, then destroys
// the emptied container. False, with nothing changed, when the lists cannot grow or the
// container is not in the drawing.
bool Dissolve(ContainerShape* container, ShapeList* shapes, ShapeList* selection) {
  int32_t index = shapes->IndexOf(container);
  if (index < 0) return false;
  ShapeList* children = container->children();
  int32_t n = children ? children->Count() : 0;
  if (!shapes->Reserve(shapes->Count() + n) || !selection->Reserve(selection->Count() + n))
    return false;
  shapes->RemoveAt(index);
  selection->Remove(container);
  for (int32_t i = 0; i < n; ++i) {
    shapes->Insert(index + i, (*children)[i]);
    selection->Append((*children)[i]);
  }
  // The children belong to the drawing now; the container must not destroy them.
  container->ReleaseChildren();
  delete container;
  return true;
}

}  // namespace

void Drawing::Ungroup() {
  if (selection_.Empty()) return;
  bool changed = false;
  // Groups first, then compound shapes, each over the selection as it stands when its turn
  // comes: a compound released from a group is dissolved too, while a group inside a group
  // only comes out one level, as the command says.
  const int32_t kinds[2] = {kGroupShape, kCompoundShape};
  for (int32_t kind : kinds) {
    ShapeList pass;
    if (!pass.CopyFrom(selection_)) break;
    for (Shape* shape : pass) {
      if (shape->Kind() != kind) continue;
      if (Dissolve(static_cast<ContainerShape*>(shape), &shapes_, &selection_)) changed = true;
    }
  }
  if (!changed) return;
  undo_.Clear();
  SetModified();
}

void Drawing::Align(int32_t mode) {
  if (selection_.Empty() || mode < 0 || mode > 5) return;
  RunAction(this, new (std::nothrow) AlignAction(this, mode));
}

void Drawing::SpaceEvenly(int32_t mode) {
  // Fewer than three shapes move nothing, but the action is recorded all the same.
  if (selection_.Empty() || mode < 0 || mode > 3) return;
  RunAction(this, new (std::nothrow) SpaceEvenlyAction(this, mode));
}

int32_t Drawing::AlignModeForItem(int32_t item) const {
  // "&Left Sides", "&Right Sides", "&Tops", "&Bottoms", "Centers &Vertically",
  // "Centers &Horizontally": landscape turns the page, so the items act on what the user sees.
  static const int32_t kPortrait[6] = {0, 1, 2, 3, 4, 5};
  static const int32_t kLandscape[6] = {3, 2, 0, 1, 5, 4};
  if (item < 0 || item > 5) return -1;
  return landscape ? kLandscape[item] : kPortrait[item];
}

int32_t Drawing::SpaceModeForItem(int32_t item) const {
  // "&Edges Vertically", "E&dges Horizontally", "Ce&nters Horizontally", "&Centers Vertically".
  static const int32_t kPortrait[4] = {0, 1, 3, 2};
  static const int32_t kLandscape[4] = {1, 0, 2, 3};
  if (item < 0 || item > 3) return -1;
  return landscape ? kLandscape[item] : kPortrait[item];
}

void Drawing::MoveBy(float first, float second) {
  if (selection_.Empty()) return;
  float dx = landscape ? second : first;
  float dy = landscape ? first : second;
  RunAction(this, TransformAction::Move(this, dx, dy));
}

void Drawing::ScaleBy(float sx, float sy) {
  if (selection_.Empty()) return;
  Rect r = BoundsOfList(selection_, 0);
  RunAction(this, TransformAction::Scale(this, (r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2, sx, sy));
}

void Drawing::RotateBy(float degrees) {
  if (selection_.Empty()) return;
  Rect r = BoundsOfList(selection_, 0);
  RunAction(this, TransformAction::Rotate(this, (r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2, degrees));
}

void Drawing::Reflect(float cx, float cy, float degrees) {
  if (selection_.Empty()) return;
  RunAction(this, TransformAction::Reflect(this, cx, cy, degrees));
}

void Drawing::Skew(float cx, float cy, float b, float c) {
  if (selection_.Empty()) return;
  RunAction(this, TransformAction::Skew(this, cx, cy, b, c));
}

void Drawing::NewDrawing() {
  // Forgotten first, so that a million destroyed shapes are not reported to it one by one.
  ForgetHitIndexOf(&shapes_);
  selection_.Clear();
  undo_.Clear();
  DestroyShapes(&shapes_);
  NoteShapesChanged();
}

void Drawing::Undo() {
  if (undo_.Undo()) SetModified();
}

void Drawing::Redo() {
  if (undo_.Redo()) SetModified();
}

Rect Drawing::Extent() { return BoundsOfList(shapes_, 0); }

// ---------------------------------------------------------------------------------------------
// Queries over lists

bool ShapesTouchedBy(const ShapeList& list, float x1, float y1, float x2, float y2, int32_t flags,
                     ShapeList* out) {
  Rect q = NormalizeRect(Rect{x1, y1, x2, y2});
  ShapeList scratch;
  if (!out) out = &scratch;
  bool found = false;
  if (IndexedShapesTouchedBy(list, q, flags, out, &found)) return found;
  return WalkShapesTouchedBy(list, q, flags, out);
}

int32_t AnyShapeHitAt(const ShapeList& list, float x, float y) {
  for (Shape* shape : list)
    if (shape->HitInterior(x, y)) return 1;
  return 0;
}

Rect BoundsOfList(const ShapeList& list, int32_t includeLine) {
  Rect r;
  for (Shape* shape : list) {
    Rect b;
    shape->GetBounds(&b, includeLine);
    r = UnionRect(r, b);
  }
  return r;
}

bool ShapeDrawnIn(Shape& shape, const Rect* area) {
  if (shape.IsHidden()) return false;
  if (!area) return true;
  Rect b;
  shape.GetBounds(&b, 1);  // the stroke reaches beyond the geometry
  return RectsIntersect(b, *area);
}

void DrawShapeList(const ShapeList& list, int32_t mode, const Rect* area) {
  for (Shape* shape : list)
    if (ShapeDrawnIn(*shape, area)) shape->Draw(mode);
}

namespace {

bool IsContainer(const Shape* shape) {
  int32_t kind = shape->Kind();
  return kind == kGroupShape || kind == kCompoundShape;
}

}  // namespace

bool CollectLeafShapes(const ShapeList& list, ShapeList* out) {
  // Compound shapes are opened as well as groups: they too pass paint and transforms on to
  // children that keep their own styles and matrices.
  for (Shape* shape : list) {
    if (IsContainer(shape)) {
      const ShapeList* children = static_cast<ContainerShape*>(shape)->children();
      if (children && !CollectLeafShapes(*children, out)) return false;
    } else if (!out->Append(shape)) {
      return false;
    }
  }
  return true;
}

int32_t CountShapesDeep(const ShapeList& list) {
  int32_t count = 0;
  for (Shape* shape : list) {
    ++count;
    if (IsContainer(shape)) {
      const ShapeList* children = static_cast<ContainerShape*>(shape)->children();
      if (children) count += CountShapesDeep(*children);
    }
  }
  return count;
}

bool CollectFonts(const ShapeList& list, std::vector<std::string>* fonts) {
  // Compound shapes are opened too: a font missing from the list would be undefined in the
  // written file.
  for (Shape* shape : list) {
    if (IsContainer(shape)) {
      const ShapeList* children = static_cast<ContainerShape*>(shape)->children();
      if (children && !CollectFonts(*children, fonts)) return false;
      continue;
    }
    if (shape->Kind() != kTextShape) continue;
    const std::string& font = static_cast<TextShape*>(shape)->font();
    if (std::find(fonts->begin(), fonts->end(), font) != fonts->end()) continue;
    try {
      fonts->push_back(font);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  return true;
}

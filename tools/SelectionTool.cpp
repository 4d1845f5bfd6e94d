#include "tools/SelectionTool.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "tools/NodeMenu.h"
#include "tools/ToolCursors.h"

namespace {

constexpr int kArrowCursor = 1;
constexpr int kWaitCursor = 0;

// The first object (in z-order) within the pick square around the point.
Shape* FirstAt(const ShapeList& list, float x, float y, int32_t flags) {
  const float t = HitTolerance();
  ShapeList found;
  if (!ShapesTouchedBy(list, x - t, y - t, x + t, y + t, flags | kQueryStopAtFirst, &found))
    return nullptr;
  return found.Empty() ? nullptr : found[0];
}

}  // namespace

void SelectionTool::Activate() {
  SetToolCursor(kArrowCursor);
  SetStatusText("Selection");
}

void SelectionTool::Deactivate() {
  layer_.End();
  editor_ = nullptr;
  SetStatusText(StatusText());
}

bool SelectionTool::StartHandleDrag(float x, float y, int shift) {
  Drawing* d = ToolDrawing();
  for (Shape* shape : d->selection()) {
    Tool* editor = shape->Editor();
    if (!editor) continue;
    editor->BeginEdit(shape);
    if (editor->HitHandle(x, y) < 0) continue;
    d->ClearSelection();
    d->Select(shape);
    mode_ = kHandleDrag;
    editor_ = editor;
    editor->MouseDown(x, y, shift);
    return true;
  }
  return false;
}

void SelectionTool::PickAt(float x, float y) {
  Drawing* d = ToolDrawing();
  if (d->selection().Empty()) {
    if (Shape* s = FirstAt(d->shapes(), x, y, 0)) {
      d->Select(s);
      SetStatusText("1 object selected");
    }
  }
  if (FirstAt(d->selection(), x, y, kQueryTextFrame)) {
    mode_ = kMoving;
  } else if (Shape* s = FirstAt(d->shapes(), x, y, 0)) {
    d->ClearSelection();
    d->Select(s);
    SetStatusText("1 object selected");
    mode_ = kMoving;
  } else {
    mode_ = kRubberBand;
  }
}

void SelectionTool::MouseDown(float x, float y, int shift) {
  Drawing* d = ToolDrawing();
  View* v = ToolView();
  if (!d || !v) return;
  layer_.End();
  editor_ = nullptr;
  if (StartHandleDrag(x, y, shift)) return;
  PickAt(x, y);
  if (mode_ == kMoving) {
    SnapToGrid(&x, &y);
    start_ = current_ = Point{x, y};
    // The handles go while the objects move; the dragged objects are drawn once now, so no
    // move has to draw them.
    layer_.Begin(*v, d->selection());
  } else {
    band_.Start(x, y);
  }
}

void SelectionTool::MouseMove(float x, float y, int shift) {
  View* v = ToolView();
  if (!v) return;
  switch (mode_) {
    case kRubberBand:
      SetStatusText(shift ? "Toggle selection" : "Selection");
      band_.MoveTo(x, y);
      break;
    case kMoving:
      SnapToGrid(&x, &y);
      current_ = Point{x, y};
      layer_.Show(*v, current_.x - start_.x, current_.y - start_.y);
      break;
    case kHandleDrag:
      if (editor_) editor_->MouseMove(x, y, shift);
      break;
  }
}

void SelectionTool::FinishRubberBand(int shift) {
  Drawing* d = ToolDrawing();
  View* v = ToolView();
  SetStatusText("Selecting...");
  const int saved = SetToolCursor(kWaitCursor);
  band_.Erase();
  const Point a = band_.start(), b = band_.end();
  const float x1 = std::min(a.x, b.x), y1 = std::min(a.y, b.y);
  const float x2 = std::max(a.x, b.x), y2 = std::max(a.y, b.y);
  ShapeList caught, kept;
  ShapesTouchedBy(d->shapes(), x1, y1, x2, y2, 0, &caught);
  ShapesTouchedBy(d->selection(), x1, y1, x2, y2, kQueryTextsAndGroupsOnly | kQueryTextFrame,
                  &kept);
  if (!shift) {
    d->ClearSelection();
    for (const ShapeList* list : {&caught, &kept})
      for (Shape* s : *list) d->Select(s);
  } else {
    // Each object toggles once, even when both sets hold it.
    std::unordered_set<Shape*> toggled, selected(d->selection().begin(), d->selection().end());
    for (const ShapeList* list : {&caught, &kept}) {
      for (Shape* s : *list) {
        if (!toggled.insert(s).second) continue;
        if (!selected.erase(s)) selected.insert(s);
      }
    }
    ShapeList next;
    for (Shape* s : d->shapes())
      if (selected.count(s) && !d->IsSelected(s)) next.Append(s);
    // Objects that stay keep their order of selection; newcomers follow in z-order.
    ShapeList order;
    for (Shape* s : d->selection())
      if (selected.count(s)) order.Append(s);
    for (Shape* s : next) order.Append(s);
    d->ClearSelection();
    for (Shape* s : order) d->selection().Append(s);
  }
  if (v) v->SelectRedraw();
  const int32_t n = d->selection().Count();
  SetStatusText(n > 0 ? CountMessage("%d %s selected", n) : std::string("Selection"));
  SetToolCursor(saved);
}

void SelectionTool::FinishMove(float x, float y) {
  SnapToGrid(&x, &y);
  current_ = Point{x, y};
  layer_.End();
  MoveSelection(current_.x - start_.x, current_.y - start_.y);
}

void SelectionTool::MouseUp(float x, float y, int shift) {
  if (!ToolDrawing() || !ToolView()) return;
  switch (mode_) {
    case kRubberBand:
      FinishRubberBand(shift);
      break;
    case kMoving:
      FinishMove(x, y);
      break;
    case kHandleDrag:
      if (editor_) editor_->MouseUp(x, y, shift);
      editor_ = nullptr;
      break;
  }
  mode_ = kRubberBand;
}

void SelectionTool::RightButtonDown(float x, float y, int) {
  Drawing* d = ToolDrawing();
  if (!d) return;
  RunNodeMenu(FirstAt(d->shapes(), x, y, 0), x, y);
}

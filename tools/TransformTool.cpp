#include "tools/TransformTool.h"

#include <string>

#include "model/Drawing.h"
#include "model/UndoActions.h"
#include "platform/msgbox/Messages.h"
#include "tools/ToolCursors.h"
#include "tools/ToolSupport.h"

void TransformTool::Activate() {
  state_ = kNoOrigin;
  SetToolCursor(2);
  SetStatusText(std::string(Name()) + ": Click origin");
}

void TransformTool::Deactivate() {
  const bool dragging = state_ == kDragging;
  state_ = kNoOrigin;
  // An unfinished drag changes nothing; only its picture goes.
  DropFeedback();
  if (dragging) RedrawAll();
}

void TransformTool::MouseDown(float x, float y, int shift) {
  SnapToGrid(&x, &y);
  if (state_ == kNoOrigin) {
    ox_ = x;
    oy_ = y;
    state_ = kOriginPlaced;
    return;
  }
  if (state_ != kOriginPlaced) return;
  if (PreviewMode()) RefreshWindowFromBuffers();
  DropFeedback();
  px_ = qx_ = x;
  py_ = qy_ = y;
  state_ = kDragging;
  if (ShowsAtPress()) MouseMove(x, y, shift);
}

void TransformTool::MouseMove(float x, float y, int shift) {
  if (state_ != kDragging) return;
  SnapToGrid(&x, &y);
  qx_ = x;
  qy_ = y;
  Compute(shift);
  ShowFeedback();
}

void TransformTool::MouseUp(float x, float y, int shift) {
  SnapToGrid(&x, &y);
  if (state_ == kOriginPlaced) {
    // The origin can be dragged into place before the button comes up.
    ox_ = x;
    oy_ = y;
    SetToolCursor(4);
    SetStatusText(std::string(Name()) + ": Move away from origin, then click anywhere and drag");
    return;
  }
  if (state_ != kDragging) return;
  qx_ = x;
  qy_ = y;
  Compute(shift);
  DropFeedback();
  state_ = kNoOrigin;
  Drawing* d = ToolDrawing();
  Rect area;
  if (d && !d->selection().Empty()) {
    const Rect before = BoundsOfList(d->selection(), 1);
    RunAction(d, MakeAction(d));
    area = UnionRect(before, BoundsOfList(d->selection(), 1));
  }
  SetToolCursor(2);
  SetStatusText(std::string(Name()) + ": To " + Verb() + " again, click origin");
  RepaintAfterEdit(area);
}

void TransformTool::ShowFeedback() {
  Drawing* d = ToolDrawing();
  if (!d) return;
  // Copies of the selection, transformed exactly as the action will transform the originals.
  preview_.clear();
  std::vector<Shape*> shapes;
  for (Shape* s : d->selection()) {
    std::unique_ptr<Shape> copy(s->Clone());
    if (!copy) continue;
    ApplyTo(copy.get());
    shapes.push_back(copy.get());
    preview_.push_back(std::move(copy));
  }
  ShowOverClean(shapes.data(), int32_t(shapes.size()));
}

void TransformTool::DropFeedback() { preview_.clear(); }

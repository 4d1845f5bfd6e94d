#include "tools/ShapeTool.h"

#include <cmath>
#include <new>

#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "model/UndoActions.h"
#include "platform/msgbox/Messages.h"
#include "tools/ToolCursors.h"
#include "tools/ToolSupport.h"

// Shapes never name a tool that is gone.
ShapeTool::~ShapeTool() {
  ShapeEditors& e = TheShapeEditors();
  for (Tool** editor : {&e.line, &e.box, &e.oval, &e.arc})
    if (*editor == this) *editor = nullptr;
}

void ShapeTool::BeginEdit(Shape* shape) {
  fresh_.reset();
  before_.reset();
  target_ = shape;
  state_ = kAttached;
}

void ShapeTool::Activate() {
  state_ = kIdle;
  SetToolCursor(3);
  SetStatusText(FirstMessage());
}

void ShapeTool::Deactivate() {
  const bool unfinished = fresh_ || state_ == kDragging;
  // A handle drag cut short leaves no unrecorded change behind.
  if (state_ == kDragging && target_ && before_) {
    ExchangeShapeContents(target_, before_.get());
    target_->InvalidateBounds();
  }
  state_ = kIdle;
  fresh_.reset();
  before_.reset();
  target_ = nullptr;
  feedbackDrawn_ = false;
  if (unfinished) RedrawAll();
}

int ShapeTool::HitHandle(float x, float y) {
  if (!target_) return -1;
  Point points[4];
  const int n = Handles(target_, points);
  for (int i = 0; i < n; ++i)
    if (NearHandle(*target_, points[i].x, points[i].y, x, y)) return FirstHandle() + i;
  return -1;
}

void ShapeTool::MouseDown(float x, float y, int) {
  feedbackDrawn_ = false;
  if (state_ == kAttached) {
    const int hit = HitHandle(x, y);
    before_.reset(hit < 0 || !target_ ? nullptr : target_->Clone());
    // Without the copy the drag could not be undone, so it does not start.
    if (!before_) {
      state_ = kIdle;
      return;
    }
    handle_ = hit;
    target_->GetBounds(&oldBounds_, 1);
    RefreshWindowFromBuffers();
    state_ = kDragging;
    return;
  }
  if (state_ == kIdle) StartShape(x, y);
}

void ShapeTool::StartShape(float x, float y) {
  SnapToGrid(&x, &y);
  fresh_ = NewShape(x, y);
  if (!fresh_) return;
  target_ = fresh_.get();
  RefreshWindowFromBuffers();
  SetToolCursor(4);
  if (const char* second = SecondMessage()) SetStatusText(second);
  state_ = kDrawing;
}

void ShapeTool::MouseMove(float x, float y, int shift) {
  if (!target_ || (state_ != kDrawing && state_ != kArcSweep && state_ != kDragging)) return;
  EraseFeedback();
  SnapToGrid(&x, &y);
  if (state_ == kDragging) {
    const Point p = ITransform(target_->matrix(), x, y);
    MoveHandle(target_, handle_, p.x, p.y);
  } else {
    Update(target_, x, y, shift);
  }
  target_->InvalidateBounds();
  ShowFeedback();
}

void ShapeTool::MouseUp(float, float, int) {
  if (state_ == kDragging) {
    state_ = kIdle;
    feedbackDrawn_ = false;
    Drawing* d = ToolDrawing();
    Rect bounds;
    target_->GetBounds(&bounds, 1);
    if (d) {
      // The change is made already; the action only keeps the shape as it was.
      auto* action = new (std::nothrow) ReshapeAction(d, target_, before_.get());
      if (action) before_.release();
      RecordDoneEdit(d, action);
    }
    before_.reset();
    RepaintAfterEdit(UnionRect(oldBounds_, bounds));
    return;
  }
  if (state_ == FinalState() && fresh_) Finish();
}

void ShapeTool::Finish() {
  state_ = kIdle;
  feedbackDrawn_ = false;
  target_ = nullptr;
  std::unique_ptr<Shape> shape = std::move(fresh_);
  Drawing* d = ToolDrawing();
  SetToolCursor(3);
  if (!d || !Worth(shape.get())) {
    if (d) d->ClearSelection();
    SetStatusText(FirstMessage());
    RefreshWindowFromBuffers();
    return;
  }
  shape->SetPaintStyle(d->defaultStyle);
  const Rect area = RepaintBounds(*shape);
  AddFinishedShape(shape.release());
  SetStatusText(ReleaseMessage());
  RepaintAfterEdit(area);
}

void ShapeTool::EraseFeedback() {
  if (feedbackDrawn_) HideOutline(target_);
  feedbackDrawn_ = false;
}

void ShapeTool::ShowFeedback() {
  ShowOutline(target_);
  // Outside preview the next outline replaces this one over the clean image.
  feedbackDrawn_ = PreviewMode();
}

#include "tools/ToolSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "model/UndoActions.h"
#include "render/GdiPainter.h"
#include "render/View.h"

namespace {

// Handles reach a few pixels beyond a shape's bounds; repaints include them.
constexpr float kHandleReachPixels = 6;
constexpr float kHitPixels = 2;
// A press this close to a handle, in pixels on either axis, takes the handle.
constexpr float kHandleHitPixels = 3;

// Tool calls normally arrive inside the window's BeginDrawing; a tool switch, the selection
// tool's hand-off and direct calls may not, and nesting is counted.
class DrawingScope {
 public:
  explicit DrawingScope(View* v) : view_(v) {
    if (view_) view_->BeginDrawing();
  }
  ~DrawingScope() {
    if (view_) view_->EndDrawing();
  }
  DrawingScope(const DrawingScope&) = delete;
  DrawingScope& operator=(const DrawingScope&) = delete;

 private:
  View* view_;
};

void XorOutline(View* v, Shape* shape) {
  DrawingScope scope(v);
  v->SetDrawTarget(kDrawFeedback);
  shape->Draw(0);
  v->SetDrawTarget(kDrawToBuffer);
  v->WindowChanged();
}

}  // namespace

DrawingWindow* ToolWindow() { return App().client; }

Drawing* ToolDrawing() { return App().drawing; }

View* ToolView() { return App().client ? &App().client->view() : nullptr; }

bool PreviewMode() {
  View* v = ToolView();
  return v && v->preview;
}

void SnapToGrid(float* x, float* y) {
  if (Drawing* d = ToolDrawing()) d->SnapToGrid(x, y);
}

float PixelsInPoints(float pixels) {
  View* v = ToolView();
  const float zoom = v ? v->zoom() : 0;
  return zoom > 0 ? pixels / zoom : pixels;
}

float HitTolerance() { return PixelsInPoints(kHitPixels); }

bool NearHandle(const Shape& shape, float hx, float hy, float x, float y) {
  const Point p = Transform(shape.matrix(), hx, hy);
  const float t = PixelsInPoints(kHandleHitPixels);
  return std::fabs(p.x - x) <= t && std::fabs(p.y - y) <= t;
}

float AngleFrom(float cx, float cy, float px, float py) {
  const double dx = double(px) - cx, dy = double(py) - cy;
  if (dx == 0) return dy > 0 ? 90.0f : dy < 0 ? -90.0f : 0.0f;
  return float(std::atan2(dy, dx) * (180 / 3.141592653589793));
}

Rect RepaintBounds(Shape& shape) {
  Rect r;
  shape.GetBounds(&r, 1);
  return NormalizeRect(r);
}

void RefreshWindowFromBuffers() {
  View* v = ToolView();
  if (!v) return;
  if (v->preview) {
    v->CleanToWindow();
  } else {
    v->CleanToWorking();
    v->WorkingToWindow();
  }
}

void ShowOverClean(Shape* const* shapes, int32_t count) {
  View* v = ToolView();
  if (!v) return;
  DrawingScope scope(v);
  if (v->preview) {
    v->CleanToWindow();
    v->SetDrawTarget(kDrawToWindow);
    for (int32_t i = 0; i < count; ++i) shapes[i]->Draw(1);
    v->SetDrawTarget(kDrawToBuffer);
    v->WindowChanged();
  } else {
    v->CleanToWorking();
    v->SetDrawTarget(kDrawToBuffer);
    for (int32_t i = 0; i < count; ++i) shapes[i]->Draw(0);
    v->WorkingToWindow();
  }
}

void ShowOutline(Shape* shape) {
  View* v = ToolView();
  if (!v || !shape) return;
  if (v->preview)
    XorOutline(v, shape);
  else
    ShowOverClean(&shape, 1);
}

void HideOutline(Shape* shape) {
  View* v = ToolView();
  if (!v || !shape) return;
  if (v->preview)
    XorOutline(v, shape);
  else
    RefreshWindowFromBuffers();
}

void RepaintAfterEdit(const Rect& area) {
  View* v = ToolView();
  if (!v) return;
  if (!v->preview || RectIsEmpty(area)) {
    v->Redraw(nullptr);
    return;
  }
  const float m = PixelsInPoints(kHandleReachPixels);
  Rect r = NormalizeRect(area);
  r.x1 -= m;
  r.y1 -= m;
  r.x2 += m;
  r.y2 += m;
  v->Redraw(&r);
}

void RedrawAll() {
  if (View* v = ToolView()) v->Redraw(nullptr);
}

bool AddFinishedShape(Shape* shape) {
  Drawing* d = ToolDrawing();
  if (!d || !shape) {
    delete shape;
    return false;
  }
  d->ClearSelection();
  auto* action = new (std::nothrow) AddShapeAction(d, shape);
  if (!action) {
    delete shape;
    return false;
  }
  const bool recorded = RunAction(d, action);
  const bool added = d->shapes().IndexOf(shape) >= 0;
  if (added) {
    d->SetModified();
    d->Select(shape);
  }
  return added && recorded;
}

void RecordDoneEdit(Drawing* drawing, EditAction* action) {
  if (!drawing) {
    delete action;
    return;
  }
  if (action && action->Valid())
    drawing->undo().Record(action);
  else
    delete action;
  drawing->SetModified();
}

void MoveSelection(float dx, float dy) {
  Drawing* d = ToolDrawing();
  if (!d || d->selection().Empty()) return;
  const Rect before = BoundsOfList(d->selection(), 1);
  // MoveBy takes what the user sees; landscape gives the page axes in exchanged order.
  if (d->landscape)
    d->MoveBy(dy, dx);
  else
    d->MoveBy(dx, dy);
  RepaintAfterEdit(UnionRect(before, BoundsOfList(d->selection(), 1)));
}

void RubberBand::Start(float x, float y) {
  start_ = end_ = Point{x, y};
  shown_ = false;
  Draw();
}

void RubberBand::MoveTo(float x, float y) {
  Erase();
  end_ = Point{x, y};
  Draw();
}

void RubberBand::Erase() {
  if (shown_) Draw();
}

void RubberBand::Draw() {
  View* v = ToolView();
  if (!v) return;
  shown_ = !shown_;
  const Point a = v->Transform(start_.x, start_.y), b = v->Transform(end_.x, end_.y);
  const int32_t l = int32_t(std::min(a.x, b.x)), t = int32_t(std::min(a.y, b.y));
  const int32_t r = int32_t(std::max(a.x, b.x)), bottom = int32_t(std::max(a.y, b.y));
  gdi::Device* dc = &v->Window();
  const int32_t rop = dc->SetROP2(gdi::R2_XORPEN);
  gdi::Handle pen = v->painter().FeedbackPen();
  gdi::Handle oldPen = pen ? dc->SelectObject(pen) : 0;
  gdi::Handle oldBrush = dc->SelectObject(dc->GetStockObject(gdi::NULL_BRUSH));
  dc->Rectangle(l, t, r + 1, bottom + 1);
  dc->SelectObject(oldBrush);
  if (pen) dc->SelectObject(oldPen);
  dc->SetROP2(rop);
  const gdi::DevRect changed{l, t, r, bottom};
  v->WindowChanged(&changed);
}

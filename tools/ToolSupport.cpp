#include "tools/ToolSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "render/GdiPainter.h"
#include "render/View.h"

namespace {

// Handles stick out of a shape's bounds by a few pixels; repaints include them.
constexpr float kHandleMarginPixels = 5;
constexpr float kHitPixels = 2;
// How far a handle marker reaches beyond its shape's bounds, in logical pixels.
constexpr int32_t kHandleReach = 6;

// Tool calls normally arrive inside the window's BeginDrawing; the selection tool's hand-off and
// direct calls may not, and nesting is counted.
struct DrawingScope {
  explicit DrawingScope(View* v) : view(v) { view->BeginDrawing(); }
  ~DrawingScope() { view->EndDrawing(); }
  View* view;
};

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

float AngleFrom(float cx, float cy, float px, float py) {
  const double dx = double(px) - cx, dy = double(py) - cy;
  if (dx == 0) return dy > 0 ? 90.0f : dy < 0 ? -90.0f : 0.0f;
  return float(std::atan2(dy, dx) * (180 / 3.141592653589793));
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

void XorOutline(Shape* shape) {
  View* v = ToolView();
  if (!v || !shape) return;
  DrawingScope scope(v);
  v->SetDrawTarget(kDrawFeedback);
  shape->Draw(0);
  v->SetDrawTarget(kDrawToBuffer);
  v->WindowChanged();
}

void RepaintAfterEdit(const Rect& area) {
  View* v = ToolView();
  if (!v) return;
  if (!v->preview || RectIsEmpty(area)) {
    v->Redraw(nullptr);
    return;
  }
  const float m = PixelsInPoints(kHandleMarginPixels);
  Rect r = NormalizeRect(area);
  r.x1 -= m;
  r.y1 -= m;
  r.x2 += m;
  r.y2 += m;
  v->Redraw(&r);
}

void RepaintAll() {
  if (DrawingWindow* w = App().client) {
    w->SetFullRepaint();
    w->InvalidateAll();
  }
}

void MoveSelection(float dx, float dy) {
  Drawing* d = ToolDrawing();
  View* v = ToolView();
  if (!d || d->selection().Empty()) return;
  const Rect before = BoundsOfList(d->selection(), 1);
  // MoveBy takes what the user sees; landscape gives the page axes in exchanged order.
  if (d->landscape)
    d->MoveBy(dy, dx);
  else
    d->MoveBy(dx, dy);
  if (!v) return;
  if (!v->preview) {
    v->Redraw(nullptr);
    return;
  }
  const Rect after = BoundsOfList(d->selection(), 1);
  Rect area = before;
  for (const Rect& r : {before, after}) {
    if (RectIsEmpty(r)) continue;
    area = RectIsEmpty(area) ? r
                             : Rect{std::min(area.x1, r.x1), std::min(area.y1, r.y1),
                                    std::max(area.x2, r.x2), std::max(area.y2, r.y2)};
  }
  if (RectIsEmpty(area)) return;
  const Point a = v->Transform(area.x1, area.y1), b = v->Transform(area.x2, area.y2);
  // Handles stand a few pixels outside the bounds.
  const int32_t m = kHandleReach * v->MarkerScale();
  auto clamp = [](float f) { return int32_t(std::clamp(f, -1.0e6f, 1.0e6f)); };
  const gdi::DevRect r{clamp(std::min(a.x, b.x)) - m, clamp(std::min(a.y, b.y)) - m,
                       clamp(std::max(a.x, b.x)) + m, clamp(std::max(a.y, b.y)) + m};
  v->Invalidate(&r);
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

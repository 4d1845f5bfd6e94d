#include "tools/EditingSupport.h"

#include <cmath>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "model/Shape.h"
#include "model/UndoActions.h"
#include "render/GdiPainter.h"
#include "render/View.h"

namespace editing {

namespace {

// Handles are drawn 3 pixels each way; repaints take a little more so none is left behind.
constexpr float kHandleMarginPixels = 6;

// Every helper may run outside a mouse event (a tool switch), so each brackets its drawing.
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

}  // namespace

View* CurrentView() { return App().client ? &App().client->view() : nullptr; }
Drawing* CurrentDrawing() { return App().drawing; }
bool PreviewMode() {
  View* v = CurrentView();
  return !v || v->preview;
}

float PixelsInPoints(float pixels) {
  View* v = CurrentView();
  if (!v) return pixels;
  const MatrixD& m = v->matrix();
  const double scale = std::hypot(m.a, m.b);  // device pixels per point
  if (!(scale > 0)) return pixels;
  return float(std::fabs(pixels * v->DevicePixelRatio() / scale));
}

bool NearHandle(const Shape& shape, float hx, float hy, float x, float y) {
  const Point p = Transform(shape.matrix(), hx, hy);
  const float t = PixelsInPoints(3);
  return std::fabs(p.x - x) <= t && std::fabs(p.y - y) <= t;
}

void RefreshWindow() {
  View* v = CurrentView();
  if (!v) return;
  if (v->preview) {
    v->CleanToWindow();
  } else {
    v->CleanToWorking();
    v->WorkingToWindow();
  }
  v->WindowChanged();
}

void DrawFeedback(Shape& shape) {
  View* v = CurrentView();
  if (!v) return;
  DrawingScope scope(v);
  if (v->preview) {
    SetDrawTargetMode(kDrawFeedback);
    shape.Draw(0);
    SetDrawTargetMode(kDrawToBuffer);
  } else {
    v->CleanToWorking();
    SetDrawTargetMode(kDrawToBuffer);
    shape.Draw(0);
    v->WorkingToWindow();
  }
  v->WindowChanged();
}

void EraseFeedback(Shape& shape) {
  View* v = CurrentView();
  if (!v) return;
  if (v->preview) {
    DrawFeedback(shape);
  } else {
    RefreshWindow();
  }
}

void RepaintArea(const Rect& area) {
  View* v = CurrentView();
  if (!v) return;
  if (!v->preview || RectIsEmpty(area)) {
    RedrawAll();
    return;
  }
  const Rect r = NormalizeRect(area);
  const Point a = v->Transform(r.x1, r.y1), b = v->Transform(r.x2, r.y2);
  const float m = kHandleMarginPixels * float(v->DevicePixelRatio());
  gdi::DevRect dr{
      int32_t(std::floor(std::fmin(a.x, b.x) - m)), int32_t(std::floor(std::fmin(a.y, b.y) - m)),
      int32_t(std::ceil(std::fmax(a.x, b.x) + m)), int32_t(std::ceil(std::fmax(a.y, b.y) + m))};
  v->Invalidate(&dr);
}

void RedrawAll() {
  View* v = CurrentView();
  if (v) v->Redraw(nullptr);
}

Rect RepaintBounds(Shape& shape) {
  Rect r;
  shape.GetBounds(&r, 1);
  return NormalizeRect(r);
}

bool AddFinishedShape(Shape* shape) {
  Drawing* d = CurrentDrawing();
  if (!d || !shape) {
    delete shape;
    return false;
  }
  d->ClearSelection();
  auto* action = new AddShapeAction(d, shape);
  const bool recorded = RunAction(d, action);
  const bool added = d->shapes().IndexOf(shape) >= 0;
  if (added) {
    d->SetModified();
    d->Select(shape);
  }
  RedrawAll();
  return added && recorded;
}

}  // namespace editing

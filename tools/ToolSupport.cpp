#include "tools/ToolSupport.h"

#include <cmath>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "render/View.h"

namespace {

// Handles stick out of a shape's bounds by a few pixels; repaints include them.
constexpr float kHandleMarginPixels = 5;

// Tool calls normally arrive inside the window's BeginDrawing; the selection tool's hand-off and
// direct calls may not, and nesting is counted.
struct DrawingScope {
  explicit DrawingScope(View* v) : view(v) { view->BeginDrawing(); }
  ~DrawingScope() { view->EndDrawing(); }
  View* view;
};

}  // namespace

Drawing* ToolDrawing() { return App().drawing; }

View* ToolView() { return App().client ? &App().client->view() : nullptr; }

bool PreviewMode() {
  View* v = ToolView();
  return v && v->preview;
}

void SnapPoint(float* x, float* y) {
  if (Drawing* d = ToolDrawing()) d->SnapToGrid(x, y);
}

float PixelsInPoints(float pixels) {
  View* v = ToolView();
  const float zoom = v ? v->zoom() : 0;
  return zoom > 0 ? pixels / zoom : pixels;
}

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

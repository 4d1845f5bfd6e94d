#include "app/Redraw.h"

#include <algorithm>
#include <cmath>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "render/View.h"

namespace {

// Handles sit on the bounds' corners and stick out by this many logical pixels at most.
constexpr float kHandleReach = 6.0f;

// Marks the device rectangle of the selection's bounds (line width and handles included) for
// the next paint.
void InvalidateSelectionArea() {
  DrawingWindow* client = App().client;
  Drawing* drawing = App().drawing;
  if (!client || !drawing || drawing->selection().Empty()) return;
  View& view = client->view();
  Rect r = BoundsOfList(drawing->selection(), 1);
  Point a = view.Transform(r.x1, r.y1), b = view.Transform(r.x2, r.y2);
  const float reach = kHandleReach * float(view.MarkerScale()) + 2.0f;
  gdi::DevRect dr{int32_t(std::floor(std::min(a.x, b.x) - reach)),
                  int32_t(std::floor(std::min(a.y, b.y) - reach)),
                  int32_t(std::ceil(std::max(a.x, b.x) + reach)),
                  int32_t(std::ceil(std::max(a.y, b.y) + reach))};
  view.Invalidate(&dr);
}

}  // namespace

void RedrawFull() {
  DrawingWindow* client = App().client;
  if (!client) return;
  if (client->Preview()) {
    client->InvalidateAll();
  } else {
    client->view().Redraw(nullptr);
  }
}

void RedrawSelection() {
  DrawingWindow* client = App().client;
  if (!client) return;
  if (client->Preview()) {
    InvalidateSelectionArea();
  } else {
    client->view().Redraw(nullptr);
  }
}

void RedrawSelectionAround(const std::function<void()>& change) {
  DrawingWindow* client = App().client;
  const bool preview = client && client->Preview();
  if (preview) InvalidateSelectionArea();
  change();
  if (preview) {
    InvalidateSelectionArea();
  } else if (client) {
    client->view().Redraw(nullptr);
  }
}

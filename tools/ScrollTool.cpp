#include "tools/ScrollTool.h"

#include "app/DrawingWindow.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "tools/ToolCursors.h"
#include "tools/ToolSupport.h"

namespace {

constexpr int kHandCursor = 5;

}  // namespace

void ScrollTool::Activate() {
  SetToolCursor(kHandCursor);
  SetStatusText("Scroll: Click and drag to scroll drawing");
}

void ScrollTool::Deactivate() { SetStatusText(StatusText()); }

void ScrollTool::MouseDown(float x, float y, int) { pressed_ = Point{x, y}; }

void ScrollTool::MouseMove(float x, float y, int) {
  // The view moves with the mouse, so the point pressed stays under the cursor.
  if (DrawingWindow* w = ToolWindow())
    w->ScrollBy(int32_t(x - pressed_.x), int32_t(y - pressed_.y));
}

void ScrollTool::MouseUp(float, float, int) {
  DrawingWindow* w = ToolWindow();
  if (!w) return;
  w->SetFullRepaint();
  if (w->Preview())
    w->InvalidateAll();
  else
    w->view().Redraw(nullptr);
}

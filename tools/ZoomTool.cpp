#include "tools/ZoomTool.h"

#include <algorithm>

#include "app/DrawingWindow.h"
#include "platform/msgbox/Messages.h"
#include "tools/ToolCursors.h"

namespace {

constexpr int kCrossCursor = 3;
constexpr int kZoomArrowCursor = 4;

}  // namespace

void ZoomTool::Activate() {
  SetToolCursor(kCrossCursor);
  SetStatusText("Zoom: Drag a rectangle to zoomin; click to zoom out");
}

void ZoomTool::MouseDown(float x, float y, int) {
  band_.Start(x, y);
  SetToolCursor(kZoomArrowCursor);
}

void ZoomTool::MouseMove(float x, float y, int) { band_.MoveTo(x, y); }

void ZoomTool::MouseUp(float, float, int) {
  band_.Erase();
  // The release point itself is not used: the rectangle is the one last shown.
  const Point a = band_.start(), b = band_.end();
  if (DrawingWindow* w = ToolWindow())
    w->ZoomToRect(
        Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)});
  SetToolCursor(kCrossCursor);
}

#include "tools/NodeMenu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <utility>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/UndoActions.h"
#include "render/View.h"
#include "tools/PathTools.h"
#include "tools/ToolSupport.h"

namespace {

const char* const kItemTexts[] = {"&Insert Node", "&Delete Node", "&Corner", "C&lose"};
constexpr int kItemIds[] = {kNodeInsert, kNodeDelete, kNodeCorner, kNodeClose};
// Insert Node looks for the outline this close to the click.
constexpr float kInsertPixels = 2;

NodeMenuHook& Hook() {
  static NodeMenuHook hook;
  return hook;
}

int TrackPopup(const NodeMenuItems& items, float x, float y) {
  if (Hook()) return Hook()(items);
  QMenu menu;
  menu.setObjectName("NODEMENU");
  for (int i = 0; i < 4; ++i) {
    QAction* a = menu.addAction(kItemTexts[i]);
    a->setData(kItemIds[i]);
    a->setEnabled(items.enabled[i]);
    a->setCheckable(items.checked[i]);
    a->setChecked(items.checked[i]);
  }
  QPoint where = QCursor::pos();
  if (DrawingWindow* w = App().client) {
    const Point dev = w->view().Transform(x, y);
    const double k = w->view().DevicePixelRatio();
    where = w->viewport()->mapToGlobal(QPoint(int(dev.x / k), int(dev.y / k)));
  }
  QAction* chosen = menu.exec(where);
  return chosen ? chosen->data().toInt() : 0;
}

// The list and closed flag before an operation, recorded when the operation changed them.
struct Before {
  GrowArray<Point> points;
  GrowArray<CurveNode> nodes;
  int32_t closed = 0;
  bool ok = false;
};

Before Save(PolygonShape* p, CurveShape* c) {
  Before b;
  if (p) {
    b.ok = b.points.CopyFrom(p->points);
    b.closed = p->closed;
  } else {
    b.ok = b.nodes.CopyFrom(c->nodes);
    b.closed = c->closed;
  }
  return b;
}

void Record(PolygonShape* p, CurveShape* c, Before&& b) {
  Drawing* d = ToolDrawing();
  if (!d || !b.ok) return;
  // The change is made already.
  RecordDoneEdit(d, p ? new EditNodesAction(d, p, std::move(b.points), b.closed)
                      : new EditNodesAction(d, c, std::move(b.nodes), b.closed));
}

void ToggleClosed(PolygonShape* p, CurveShape* c) {
  int32_t& closed = p ? p->closed : c->closed;
  closed = !closed;
  if (p)
    p->InvalidateBounds();
  else
    c->InvalidateBounds();
}

}  // namespace

void SetNodeMenuHook(NodeMenuHook hook) { Hook() = std::move(hook); }

void RunNodeMenu(Shape* shape, float x, float y) {
  PolygonShape* p =
      shape && shape->Kind() == kPolygonShape ? static_cast<PolygonShape*>(shape) : nullptr;
  CurveShape* c = shape && shape->Kind() == kCurveShape ? static_cast<CurveShape*>(shape) : nullptr;
  NodeMenuItems items;
  const int handle = (p || c) ? PathHandleAt(shape, x, y) : -1;
  if (p || c) {
    items.enabled[0] = items.enabled[1] = items.enabled[3] = true;
    items.enabled[2] = c != nullptr;
    items.checked[3] = (p ? p->closed : c->closed) != 0;
    if (handle < 0) {
      items.enabled[1] = false;
      items.enabled[2] = false;
    } else if (c) {
      items.checked[2] = (c->nodes[handle / 3].corner & 1) != 0;
    }
  }
  const int id = TrackPopup(items, x, y);
  if (!p && !c) return;
  Before before = Save(p, c);
  Rect area = RepaintBounds(*shape);
  switch (id) {
    case kNodeInsert: {
      const float tol = PixelsInPoints(kInsertPixels);
      if (!(p ? p->InsertNodeAt(x, y, tol) : c->InsertNodeAt(x, y, tol))) return;
      break;
    }
    case kNodeDelete:
      // A curve loses only anchors, and neither shape goes below two points.
      if (p) {
        if (handle < 0 || p->points.Count() <= 2 || !p->DeleteNode(handle)) return;
      } else {
        if (handle < 0 || handle % 3 != 0 || c->nodes.Count() <= 2 || !c->DeleteNode(handle / 3))
          return;
      }
      break;
    case kNodeCorner:
      if (!c || handle < 0) return;
      c->ToggleCorner(handle / 3);
      Record(p, c, std::move(before));
      return;
    case kNodeClose:
      ToggleClosed(p, c);
      break;
    default:
      return;
  }
  Record(p, c, std::move(before));
  area = UnionRect(area, RepaintBounds(*shape));
  RepaintAfterEdit(area);
}

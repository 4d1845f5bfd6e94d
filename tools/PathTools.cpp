#include "tools/PathTools.h"

#include <cmath>

#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "model/UndoActions.h"
#include "platform/msgbox/Messages.h"
#include "tools/ToolCursors.h"
#include "tools/ToolSupport.h"

namespace {

enum Moment { kActivated, kFirstPress, kLaterPress, kReleased };

const char* const kCurveMessages[] = {"Curve: Click first point and drag to second point",
                                      "Curve: Drag to second point", "Curve: Drag to adjust",
                                      "Curve: Click next point (double click to end)"};
const char* const kPolygonMessages[] = {"Polygon: Click first point and drag to second point",
                                        "Polygon: Drag to second point", "Polygon: Drag to adjust",
                                        "Polygon: Click next point (double click to end)"};

// A double click ends the shape closed when its last point lies this close to the first.
constexpr float kClosePixels = 4;

CurveShape* AsCurve(Shape* s) {
  return s && s->Kind() == kCurveShape ? static_cast<CurveShape*>(s) : nullptr;
}
PolygonShape* AsPolygon(Shape* s) {
  return s && s->Kind() == kPolygonShape ? static_cast<PolygonShape*>(s) : nullptr;
}

Point LocalPoint(const Shape& s, float x, float y) { return ITransform(s.matrix(), x, y); }

// The control opposite a dragged one on a smooth node: on the line from the dragged control
// through the anchor, keeping its own distance from the anchor.
void KeepOppositeInLine(float ax, float ay, float cx, float cy, float* ox, float* oy) {
  const double d = std::hypot(double(*ox) - ax, double(*oy) - ay);
  const double dx = double(cx) - ax, dy = double(cy) - ay;
  const double a = (dx == 0 && dy == 0) ? 0 : std::atan2(dy, dx);
  *ox = float(ax - d * std::cos(a));
  *oy = float(ay - d * std::sin(a));
}

}  // namespace

int PathHandleAt(Shape* shape, float x, float y) {
  if (PolygonShape* p = AsPolygon(shape)) {
    for (int32_t i = 0; i < p->points.Count(); ++i)
      if (NearHandle(*p, p->points[i].x, p->points[i].y, x, y)) return i;
  } else if (CurveShape* c = AsCurve(shape)) {
    for (int32_t i = 0; i < c->nodes.Count(); ++i) {
      const CurveNode& n = c->nodes[i];
      if (NearHandle(*c, n.inX, n.inY, x, y)) return 3 * i + 1;
      if (NearHandle(*c, n.outX, n.outY, x, y)) return 3 * i + 2;
      if (NearHandle(*c, n.x, n.y, x, y)) return 3 * i;
    }
  }
  return -1;
}

PathTool::~PathTool() = default;

const char* PathTool::Message(int moment) const {
  return (curve_ ? kCurveMessages : kPolygonMessages)[moment];
}

int32_t PathTool::Count() const {
  Shape* s = fresh_.get();
  if (CurveShape* c = AsCurve(s)) return c->nodes.Count();
  if (PolygonShape* p = AsPolygon(s)) return p->points.Count();
  return 0;
}

Point PathTool::Anchor(int32_t i) const {
  Shape* s = fresh_.get();
  if (CurveShape* c = AsCurve(s)) return Point{c->nodes[i].x, c->nodes[i].y};
  return AsPolygon(s)->points[i];
}

bool PathTool::Append(float x, float y, int shift) {
  Shape* s = fresh_.get();
  if (CurveShape* c = AsCurve(s)) return c->AddNode(MakeCurveNode(x, y, shift ? 1 : 0)) != 0;
  return AsPolygon(s)->AddPoint(x, y) != 0;
}

void PathTool::RemoveLast() {
  Shape* s = fresh_.get();
  if (CurveShape* c = AsCurve(s)) {
    c->DeleteNode(c->nodes.Count() - 1);
  } else if (PolygonShape* p = AsPolygon(s)) {
    p->DeleteNode(p->points.Count() - 1);
  }
}

void PathTool::MoveLast(float x, float y) {
  Shape* s = fresh_.get();
  if (CurveShape* c = AsCurve(s)) {
    CurveNode& n = c->nodes[c->nodes.Count() - 1];
    n.x = x;
    n.y = y;
    c->Smooth();
  } else if (PolygonShape* p = AsPolygon(s)) {
    p->points[p->points.Count() - 1] = Point{x, y};
    p->InvalidateBounds();
  }
}

void PathTool::DragHandle(float x, float y) {
  const Point at = LocalPoint(*edited_, x, y);
  if (PolygonShape* p = AsPolygon(edited_)) {
    if (handle_ < p->points.Count()) p->points[handle_] = at;
    p->InvalidateBounds();
    return;
  }
  CurveShape* c = AsCurve(edited_);
  if (!c || handle_ / 3 >= c->nodes.Count()) return;
  CurveNode& n = c->nodes[handle_ / 3];
  const bool smooth = !(n.corner & 1);
  switch (handle_ % 3) {
    case 0: {
      const float dx = at.x - n.x, dy = at.y - n.y;
      n.x = at.x;
      n.y = at.y;
      n.inX += dx;
      n.inY += dy;
      n.outX += dx;
      n.outY += dy;
      break;
    }
    case 1:
      n.inX = at.x;
      n.inY = at.y;
      if (smooth) KeepOppositeInLine(n.x, n.y, n.inX, n.inY, &n.outX, &n.outY);
      break;
    default:
      n.outX = at.x;
      n.outY = at.y;
      if (smooth) KeepOppositeInLine(n.x, n.y, n.outX, n.outY, &n.inX, &n.inY);
      break;
  }
  c->InvalidateBounds();
}

void PathTool::DrawFeedback() {
  Shape* s = state_ == kDragging ? edited_ : fresh_.get();
  if (!s) return;
  ShowOutline(s);
  feedbackDrawn_ = true;
}

void PathTool::EraseFeedback() {
  Shape* s = state_ == kDragging ? edited_ : fresh_.get();
  if (feedbackDrawn_) HideOutline(s);
  feedbackDrawn_ = false;
}

void PathTool::BeginEdit(Shape* shape) {
  edited_ = shape;
  state_ = kAttached;
}

void PathTool::Activate() {
  state_ = kIdle;
  SetToolCursor(3);
  SetStatusText(Message(kActivated));
}

int PathTool::HitHandle(float x, float y) {
  Shape* s = edited_;
  if (curve_ ? !AsCurve(s) : !AsPolygon(s)) return -1;
  return PathHandleAt(s, x, y);
}

void PathTool::Deactivate() {
  if (state_ == kFirstSegment || state_ == kAdding) {
    EraseFeedback();
    if (Count() < 2 || !Finish()) Discard();
  }
  state_ = kIdle;
  feedbackDrawn_ = false;
  SetStatusText(StatusText());
}

void PathTool::Discard() {
  RefreshWindowFromBuffers();
  fresh_.reset();
}

void PathTool::MouseDown(float x, float y, int shift) {
  switch (state_) {
    case kIdle: {
      if (curve_)
        fresh_ = std::make_unique<CurveShape>();
      else
        fresh_ = std::make_unique<PolygonShape>();
      SnapToGrid(&x, &y);
      if (!Append(x, y, shift) || !Append(x, y, shift)) {
        fresh_.reset();
        return;
      }
      if (curve_) AsCurve(fresh_.get())->Smooth();
      feedbackDrawn_ = false;
      RefreshWindowFromBuffers();
      SetToolCursor(4);
      SetStatusText(Message(kFirstPress));
      state_ = kFirstSegment;
      break;
    }
    case kAdding: {
      SnapToGrid(&x, &y);
      EraseFeedback();
      // A plain first click leaves two equal points; the second click replaces the duplicate.
      if (Count() == 2) {
        const Point a = Anchor(0), b = Anchor(1);
        if (a.x == b.x && a.y == b.y) RemoveLast();
      }
      if (!Append(x, y, shift)) return;
      SetToolCursor(4);
      SetStatusText(Message(kLaterPress));
      MouseMove(x, y, shift);
      break;
    }
    case kAttached: {
      handle_ = HitHandle(x, y);
      if (handle_ < 0) {
        state_ = kIdle;
        return;
      }
      if (PolygonShape* p = AsPolygon(edited_)) {
        if (!savedPoints_.CopyFrom(p->points)) return;
        savedClosed_ = p->closed;
      } else if (CurveShape* c = AsCurve(edited_)) {
        if (!savedNodes_.CopyFrom(c->nodes)) return;
        savedClosed_ = c->closed;
      }
      before_ = RepaintBounds(*edited_);
      feedbackDrawn_ = false;
      RefreshWindowFromBuffers();
      state_ = kDragging;
      break;
    }
    default:
      break;
  }
}

void PathTool::MouseMove(float x, float y, int) {
  if (state_ != kFirstSegment && state_ != kAdding && state_ != kDragging) return;
  EraseFeedback();
  SnapToGrid(&x, &y);
  if (state_ == kDragging)
    DragHandle(x, y);
  else
    MoveLast(x, y);
  DrawFeedback();
}

void PathTool::MouseUp(float, float, int) {
  if (state_ == kFirstSegment || state_ == kAdding) {
    state_ = kAdding;
    SetToolCursor(3);
    SetStatusText(Message(kReleased));
    return;
  }
  if (state_ != kDragging) return;
  EraseFeedback();
  state_ = kIdle;
  Drawing* d = ToolDrawing();
  const Rect after = RepaintBounds(*edited_);
  EditNodesAction* action = nullptr;
  if (PolygonShape* p = AsPolygon(edited_))
    action = new EditNodesAction(d, p, std::move(savedPoints_), savedClosed_);
  else if (CurveShape* c = AsCurve(edited_))
    action = new EditNodesAction(d, c, std::move(savedNodes_), savedClosed_);
  RecordDoneEdit(d, action);  // the drag made the change already
  RepaintAfterEdit(UnionRect(before_, after));
}

void PathTool::DoubleClick(float, float, int) {
  if (state_ != kAdding) return;
  EraseFeedback();
  if (!Finish()) {
    DrawFeedback();
    return;
  }
  state_ = kIdle;
  SetToolCursor(3);
  SetStatusText(Message(kActivated));
}

bool PathTool::Finish() {
  const int32_t n = Count();
  if (n < 1) return false;
  const float t = PixelsInPoints(kClosePixels);
  const Point first = Anchor(0), last = Anchor(n - 1);
  if (std::fabs(last.x - first.x) < t && std::fabs(last.y - first.y) < t) {
    if (curve_ && n <= 2) return false;
    RemoveLast();
    if (CurveShape* c = AsCurve(fresh_.get())) c->Close();
    if (PolygonShape* p = AsPolygon(fresh_.get())) p->Close();
  }
  if (CurveShape* c = AsCurve(fresh_.get())) c->Smooth();
  Shape* shape = fresh_.release();
  if (Drawing* d = ToolDrawing()) shape->SetPaintStyle(d->defaultStyle);
  AddFinishedShape(shape);
  RedrawAll();
  return true;
}

void RegisterPathTools() {
  auto curve = std::make_unique<PathTool>(true);
  auto polygon = std::make_unique<PathTool>(false);
  TheShapeEditors().curve = curve.get();
  TheShapeEditors().polygon = polygon.get();
  RegisterTool(kToolCurve, std::move(curve));
  RegisterTool(kToolPolygon, std::move(polygon));
}

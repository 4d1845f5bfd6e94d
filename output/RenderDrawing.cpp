#include "output/RenderDrawing.h"

#include <cmath>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/InkBounds.h"
#include "output/ProgressDialog.h"
#include "output/PsWriterCommon.h"

namespace {

// The PostScript writers remember the paint style they last wrote so that they only write
// what changed; every document must start from a clean slate.
void ResetPaintStyleCacheForExport() { ResetPaintStyleCache(); }

// Truncation toward zero, kept inside the integer range: a shape far off the page (a bad file)
// must not make the conversion undefined.
int32_t TruncToInt32(float v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0f) return INT32_MAX;
  if (v <= -2147483648.0f) return INT32_MIN;
  return int32_t(v);
}

// One open list of the walk: the children of the container that brackets them (kind 9 or 10),
// or the drawing's own list (kind -1).
struct WalkFrame {
  const ShapeList* list;
  int32_t next;
  int32_t kind;
};

void CloseBracket(OutputDriver* driver, int32_t kind) {
  if (kind == kGroupShape) driver->EndGroup();
  if (kind == kCompoundShape) driver->EndCompound();
}

}  // namespace

PageInfo MakePageInfo(Drawing& drawing, float border, PageBox box) {
  PageInfo page;
  Rect e = box == PageBox::kInk ? InkBoundsOfList(drawing.shapes()) : drawing.Extent();
  float b = border + 0.5f;
  if (b < 0 && ((e.x2 - e.x1 + 1) / 2 < -b || (e.y2 - e.y1 + 1) / 2 < -b)) b = 0;
  page.llx = TruncToInt32(e.x1 - b);
  page.lly = TruncToInt32(e.y1 - b);
  page.urx = TruncToInt32(e.x2 + b);
  page.ury = TruncToInt32(e.y2 + b);
  page.title = drawing.Title();
  page.landscape = drawing.landscape;
  page.grid[0] = drawing.grid.hSpacing;
  page.grid[1] = drawing.grid.vSpacing;
  page.grid[2] = drawing.grid.show;
  page.grid[3] = drawing.grid.snap;
  return page;
}

int32_t RenderDrawing(Drawing& drawing, OutputDriver* driver, int32_t embedFonts, float border,
                      ProgressDialog* progress, PageBox box) {
  if (!driver) return 0;
  PageInfo page = MakePageInfo(drawing, border, box);
  ResetPaintStyleCacheForExport();
  // A document that could not begin gets no shapes and no trailer.
  if (!driver->BeginDocument(&page, embedFonts, progress)) return 0;
  if (progress) progress->Start(CountShapesDeep(drawing.shapes()));
  bool complete = WriteShapeList(drawing.shapes(), driver, progress);
  driver->EndDocument(progress);
  return complete ? 1 : 0;
}

bool WriteShapeList(const ShapeList& list, OutputDriver* driver, ProgressDialog* progress) {
  if (!driver) return false;
  // An explicit stack rather than recursion: groups read from a file may nest arbitrarily deep.
  GrowArray<WalkFrame> stack;
  if (!stack.Append(WalkFrame{&list, 0, -1})) return false;
  bool complete = true;
  while (!stack.Empty()) {
    WalkFrame& top = stack[stack.Count() - 1];
    if (!top.list || top.next >= top.list->Count()) {
      CloseBracket(driver, top.kind);
      stack.Truncate(stack.Count() - 1);
      continue;
    }
    Shape* shape = (*top.list)[top.next++];
    if (!shape) continue;
    if (progress && !progress->Advance()) {
      complete = false;
      break;
    }
    int32_t kind = shape->Kind();
    auto* container = (kind == kGroupShape || kind == kCompoundShape)
                          ? dynamic_cast<ContainerShape*>(shape)
                          : nullptr;
    if (!container) {
      shape->Write(*driver);
      continue;
    }
    if (kind == kGroupShape)
      driver->BeginGroup();
    else
      driver->BeginCompound();
    if (!stack.Append(WalkFrame{container->children(), 0, kind})) {
      CloseBracket(driver, kind);
      complete = false;
      break;
    }
  }
  // A cancelled walk writes no more shapes but still closes the brackets it opened, so the
  // document stays well formed.
  while (!stack.Empty()) {
    CloseBracket(driver, stack[stack.Count() - 1].kind);
    stack.Truncate(stack.Count() - 1);
  }
  return complete;
}

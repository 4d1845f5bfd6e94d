#include "model/InkBounds.h"

#include "model/Arrowhead.h"
#include "model/ContainerShapes.h"
#include "model/SimpleShapes.h"

Rect InkBounds(Shape* shape) {
  Rect r;
  if (!shape) return r;
  const int32_t kind = shape->Kind();
  if (kind == kGroupShape || kind == kCompoundShape) {
    const ShapeList* children = static_cast<ContainerShape*>(shape)->children();
    return children ? InkBoundsOfList(*children) : r;
  }
  shape->GetBounds(&r, 0);
  if (kind == kTextShape || kind == kImageShape || RectIsEmpty(r)) return r;
  r = NormalizeRect(r);
  const PaintStyle& style = shape->style();
  if (style.strokeOn) {
    // Strokes are drawn in page units whatever the shape's matrix.
    const float half = shape->EffectiveLineWidth() / 2;
    if (half > 0) r = Rect{r.x1 - half, r.y1 - half, r.x2 + half, r.y2 + half};
  }
  if (kind == kLineShape) {
    // The procset draws arrowheads whether or not the line itself is stroked.
    const auto* line = static_cast<const LineShape*>(shape);
    const Matrix& m = shape->matrix();
    if (shape->leftArrow().enabled)
      AddArrowheadInk(&r, m, style, shape->leftArrow().kind, line->x1, line->y1, line->x2,
                      line->y2);
    if (shape->rightArrow().enabled)
      AddArrowheadInk(&r, m, style, shape->rightArrow().kind, line->x2, line->y2, line->x1,
                      line->y1);
  }
  return r;
}

Rect InkBoundsOfList(const ShapeList& list) {
  Rect r;
  for (Shape* shape : list) r = UnionRect(r, InkBounds(shape));
  return r;
}

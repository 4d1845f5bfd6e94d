#include "app/StyleCommands.h"

#include <new>

#include "model/Drawing.h"
#include "model/TextShape.h"
#include "model/UndoActions.h"

namespace {

// The selected objects take the change as one undoable step; nothing is recorded without them.
void ApplyToSelection(Drawing& drawing, const PaintChange& change) {
  if (drawing.selection().Empty()) return;
  RunAction(&drawing, new (std::nothrow) PaintStyleAction(&drawing, change));
}

// Lines among the selected objects, groups opened.
ShapeList SelectedLines(Drawing& drawing) {
  ShapeList leaves, lines;
  if (!CollectLeafShapes(drawing.selection(), &leaves)) return lines;
  for (Shape* s : leaves)
    if (s->Kind() == kLineShape) lines.Append(s);
  return lines;
}

// Arrow changes cannot be undone; the histories are dropped so that no step restores a state
// that never existed.
void ArrowsChanged(Drawing& drawing) {
  drawing.undo().Clear();
  drawing.SetModified();
}

}  // namespace

float PenWidth(int32_t pen) {
  static const float kWidths[8] = {0.25f, 0.5f, 0.75f, 1, 2, 3, 4, 5};
  return pen >= 0 && pen < 8 ? kWidths[pen] : 1.0f;
}

void FillTransparent(Drawing& drawing) {
  ApplyToSelection(drawing, PaintChange::NoFill());
  drawing.defaultStyle.fillOn = 0;
}

void FillColor(Drawing& drawing, const Color& color) {
  ApplyToSelection(drawing, PaintChange::FillColor(color));
  drawing.defaultStyle.fillOn = 1;
  drawing.defaultStyle.fillColor = color;
}

void FillPattern(Drawing& drawing, int32_t pattern) {
  ApplyToSelection(drawing, PaintChange::Pattern(pattern));
  drawing.defaultStyle.fillOn = 1;
  drawing.defaultStyle.pattern = pattern;
}

void LineInvisible(Drawing& drawing) {
  ApplyToSelection(drawing, PaintChange::NoStroke());
  drawing.defaultStyle.strokeOn = 0;
}

void LineColor(Drawing& drawing, const Color& color) {
  ApplyToSelection(drawing, PaintChange::StrokeColor(color));
  drawing.defaultStyle.strokeOn = 1;
  drawing.defaultStyle.strokeColor = color;
}

void LineDash(Drawing& drawing, int32_t dash) {
  ApplyToSelection(drawing, PaintChange::Dash(dash));
  drawing.defaultStyle.strokeOn = 1;
  drawing.defaultStyle.dash = dash;
}

void LineWidth(Drawing& drawing, float width) {
  ApplyToSelection(drawing, PaintChange::LineWidth(width));
  drawing.defaultStyle.strokeOn = 1;
  drawing.defaultStyle.dash = -1;
  drawing.defaultStyle.lineWidth = width;
}

void SetLineArrows(Drawing& drawing, int32_t ends) {
  ShapeList lines = SelectedLines(drawing);
  if (lines.Empty()) return;
  const Arrowhead left{(ends & 1) ? 1 : 0, drawing.arrowKind};
  const Arrowhead right{(ends & 2) ? 2 : 0, drawing.arrowKind};
  for (Shape* line : lines) line->SetArrows(left, right);
  ArrowsChanged(drawing);
}

void SetArrowStyle(Drawing& drawing, int32_t kind) {
  drawing.arrowKind = kind;
  ShapeList lines = SelectedLines(drawing);
  if (lines.Empty()) return;
  for (Shape* line : lines) {
    Arrowhead left, right;
    line->GetArrows(&left, &right);
    left.kind = kind;
    right.kind = kind;
    line->SetArrows(left, right);
  }
  ArrowsChanged(drawing);
}

int32_t ShownArrowStyle(Drawing& drawing) {
  if (!drawing.selection().Empty()) {
    Arrowhead left, right;
    drawing.selection()[0]->GetArrows(&left, &right);
    if (left.enabled) return left.kind;
    if (right.enabled) return right.kind;
  }
  return drawing.arrowKind;
}

bool SelectionText(Drawing& drawing, std::string* font, float* size, float* leading) {
  ShapeList leaves;
  if (!CollectLeafShapes(drawing.selection(), &leaves)) return false;
  for (Shape* s : leaves) {
    if (s->Kind() != kTextShape) continue;
    auto* text = static_cast<TextShape*>(s);
    *font = text->font();
    *size = text->size();
    *leading = text->leading();
    return true;
  }
  return false;
}

bool SelectionStyle(Drawing& drawing, PaintStyle* style) {
  if (drawing.selection().Empty()) return false;
  drawing.selection()[0]->GetPaintStyle(style);
  return true;
}

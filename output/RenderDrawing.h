// The walk of a drawing through an output driver: page information, then every shape in
// z-order with groups and compound paths bracketed.
#pragma once

#include <cstdint>

#include "model/Shape.h"
#include "output/OutputDriver.h"

class Drawing;

// Which box of the drawing the page information frames: the shapes' bounds (the native file's
// header, which stored files rely on) or everything the shapes paint (exports, so that nothing
// drawn is cut off).
enum class PageBox : int32_t { kShapeBounds, kInk };

// Fills the page information of a drawing with a border (a negative border never turns the box
// inside out).
PageInfo MakePageInfo(Drawing& drawing, float border, PageBox box = PageBox::kShapeBounds);

// Result: 1 when the document began and the walk ran to the end, 0 when BeginDocument failed
// or the user cancelled.
int32_t RenderDrawing(Drawing& drawing, OutputDriver* driver, int32_t embedFonts, float border,
                      ProgressDialog* progress, PageBox box = PageBox::kShapeBounds);

// False when the user cancelled the walk.
bool WriteShapeList(const ShapeList& list, OutputDriver* driver, ProgressDialog* progress);

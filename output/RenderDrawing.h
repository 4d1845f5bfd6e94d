// The walk of a drawing through an output driver: page information, then every shape in
// z-order with groups and compound paths bracketed.
#pragma once

#include <cstdint>

#include "model/Shape.h"
#include "output/OutputDriver.h"

class Drawing;

// Fills the page information of a drawing with a border (a negative border never turns the box
// inside out).
PageInfo MakePageInfo(Drawing& drawing, float border);

// Result: 1 when the document began and the walk ran to the end, 0 when BeginDocument failed
// or the user cancelled.
int32_t RenderDrawing(Drawing& drawing, OutputDriver* driver, int32_t embedFonts, float border,
                      ProgressDialog* progress);

// False when the user cancelled the walk.
bool WriteShapeList(const ShapeList& list, OutputDriver* driver, ProgressDialog* progress);

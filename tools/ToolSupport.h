// What the drawing and transform tools share: the drawing and its view, grid snap, the
// angle rule, pixel tolerances, drag feedback and the repaint after an edit.
#pragma once

#include "model/Geometry.h"
#include "model/Shape.h"

class Drawing;
class View;

// Null while the program has no drawing or window (start-up, shutdown, tests of the model).
Drawing* ToolDrawing();
View* ToolView();
bool PreviewMode();

// Snaps the point to the drawing's grid when snapping is on.
void SnapPoint(float* x, float* y);
// Logical pixels in drawing units at the current zoom.
float PixelsInPoints(float pixels);
// Angle in degrees of (px, py) seen from (cx, cy), in (-180, 180]; 0 for the centre itself.
float AngleFrom(float cx, float cy, float px, float py);

// The window shows the buffers again: the drawing without handles or feedback.
void RefreshWindowFromBuffers();
// Draws the shapes over the clean image: in colour on the window in preview mode, as
// outlines through the working image otherwise. Each call replaces the previous feedback.
void ShowOverClean(Shape* const* shapes, int32_t count);
// Draws the shape's outline in XOR on the window; a second call with the same geometry
// removes it.
void XorOutline(Shape* shape);
// After an edit: the area (page points, grown for handles) in preview mode, else everything.
void RepaintAfterEdit(const Rect& area);
// The whole window is painted again once the mouse is released.
void RepaintAll();

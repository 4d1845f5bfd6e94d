// Small helpers the curve, polygon and text tools share: the view they draw on, tolerances in
// window pixels, XOR feedback, repaints and the adding of a finished shape.
#pragma once

#include "model/Geometry.h"

class Drawing;
class Shape;
class View;

namespace editing {

// The drawing window's view, or null before the window exists.
View* CurrentView();
Drawing* CurrentDrawing();
bool PreviewMode();
// `pixels` logical window pixels in drawing units (points).
float PixelsInPoints(float pixels);
// Does the local point (hx, hy) of the shape, placed by its matrix, lie within 3 pixels of
// (x, y) in both directions?
bool NearHandle(const Shape& shape, float hx, float hy, float x, float y);
// The window shows the buffers again (feedback and handles gone).
void RefreshWindow();
// Draws the shape's outline as feedback: XOR on the window in preview, otherwise into the
// working image over the clean one. Drawing the same outline twice in preview removes it.
void DrawFeedback(Shape& shape);
// The feedback of the last DrawFeedback goes: XOR again in preview, the clean image otherwise.
void EraseFeedback(Shape& shape);
// After an edit: the area (page points) is repainted in preview, the whole drawing otherwise.
void RepaintArea(const Rect& area);
void RedrawAll();
// Bounds with line width, grown so handles drawn around them are repainted too.
Rect RepaintBounds(Shape& shape);
// Hands a finished new shape to the drawing through an undoable add; it becomes the only
// selected object and is drawn with its handles. The shape is owned by the drawing afterwards
// (or destroyed when it could not be added). False when it could not be added.
bool AddFinishedShape(Shape* shape);

}  // namespace editing

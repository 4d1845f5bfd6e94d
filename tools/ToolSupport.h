// What the mouse tools share: the drawing window, its drawing and view, grid snap, the angle
// rule, pixel tolerances, handle hits, drag feedback, the adding and recording of edits and the
// repaint after an edit.
#pragma once

#include <cstdint>

#include "model/Geometry.h"
#include "model/Shape.h"

class Drawing;
class DrawingWindow;
class EditAction;
class View;

// Null while the program has no drawing or window (start-up, shutdown, tests of the model).
DrawingWindow* ToolWindow();
Drawing* ToolDrawing();
View* ToolView();
bool PreviewMode();

// Rounds a drawing position to the grid when the drawing's snap flag is set.
void SnapToGrid(float* x, float* y);
// Logical pixels in drawing units at the current zoom.
float PixelsInPoints(float pixels);
// Two pixels in drawing units: how near a click must come to pick an object.
float HitTolerance();
// Does the local point (hx, hy) of the shape, placed by its matrix, lie within 3 pixels of
// (x, y) on both axes?
bool NearHandle(const Shape& shape, float hx, float hy, float x, float y);
// Angle in degrees of (px, py) seen from (cx, cy), in (-180, 180]; 0 for the centre itself.
float AngleFrom(float cx, float cy, float px, float py);
// The shape's bounds with line width (normalized): what a repaint of it must cover.
Rect RepaintBounds(Shape& shape);

// The window shows the buffers again: the drawing without handles or feedback.
void RefreshWindowFromBuffers();
// Draws the shapes over the clean image: in colour on the window in preview mode, as
// outlines through the working image otherwise. Each call replaces the previous feedback.
void ShowOverClean(Shape* const* shapes, int32_t count);
// Drag feedback of one shape's outline: XOR on the window in preview, where showing the same
// geometry again removes it; over the clean image otherwise, replacing the last feedback.
void ShowOutline(Shape* shape);
// Removes what ShowOutline drew for the same geometry.
void HideOutline(Shape* shape);
// After an edit: the area (page points, grown for handles) in preview mode, else everything.
void RepaintAfterEdit(const Rect& area);
// The whole drawing is drawn again now.
void RedrawAll();

// Hands a finished new shape to the drawing through an undoable add; it becomes the only
// selected object. The drawing owns it afterwards, or it is destroyed when it could not be
// added. The caller repaints. False when it was not added.
bool AddFinishedShape(Shape* shape);
// Records an action for a change the tool has already made (so it is not run) and marks the
// drawing modified. Takes ownership; an invalid action is destroyed.
void RecordDoneEdit(Drawing* drawing, EditAction* action);

// Records and performs the undoable move of the selection by (dx, dy) page points, then shows
// the result: in preview the area the selection left and reached is repainted, in outline the
// whole view is redrawn.
void MoveSelection(float dx, float dy);

// A rectangle shown in XOR on the window from a fixed corner to a moving one (drawing
// coordinates); drawing it twice removes it.
class RubberBand {
 public:
  void Start(float x, float y);
  void MoveTo(float x, float y);
  void Erase();
  Point start() const { return start_; }
  Point end() const { return end_; }
  bool Shown() const { return shown_; }

 private:
  void Draw();
  Point start_, end_;
  bool shown_ = false;
};

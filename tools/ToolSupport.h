// What the mouse tools share: grid snapping, the pick tolerance, the XOR rubber rectangle and
// the way to the drawing window and its view.
#pragma once

#include "model/Geometry.h"

class Drawing;
class DrawingWindow;
class View;

// Null while the program has no window (tools made before it, or after it closed).
DrawingWindow* ToolWindow();
Drawing* ToolDrawing();
View* ToolView();
bool ToolPreview();

// Rounds a drawing position to the grid when the drawing's snap flag is set.
void SnapToGrid(float* x, float* y);
// Two pixels in drawing units: how near a click must come to pick an object.
float HitTolerance();

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

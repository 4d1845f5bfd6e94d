// What a selection drag shows: the dragged shapes drawn once into a layer of their own, then
// laid over the clean image at the displacement of each mouse move. Redrawing a large
// selection on every move would be far too slow; a blit of the layer costs the same whatever
// the selection holds.
#pragma once

#include <QImage>
#include <QRect>

#include "model/Shape.h"

class View;

class DragLayer {
 public:
  // Draws `shapes` (preview or outline, as the view shows them) into the layer at their present
  // place; the window shows the clean image from now on. Done when the drag starts, so that
  // every move costs only a blit. Call between the view's
  // BeginDrawing and EndDrawing. False when the layer could not be made.
  bool Begin(View& view, const ShapeList& shapes);
  // The window shows the clean image with the layer displaced by (dx, dy) points.
  void Show(View& view, float dx, float dy);
  // Forgets the layer; the window keeps what it shows until the caller redraws.
  void End();
  bool Active() const { return active_; }

 private:
  QImage layer_;  // premultiplied ARGB; transparent where no shape painted
  QRect box_;     // where the layer sits on the window when not displaced (device pixels)
  QRect shown_;   // where it was last shown
  bool active_ = false;
};

// The node menu a right click with the selection tool opens over a curve or polygon: Insert
// Node, Delete Node, Corner and Close.
#pragma once

class Shape;

// Shows the menu at the drawing point (x, y) for `shape` (null: no object there, every item
// greyed) and carries out the chosen operation on a curve or polygon.
void RunNodeMenu(Shape* shape, float x, float y);

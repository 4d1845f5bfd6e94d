// The node menu a right click with the selection tool opens over a curve or polygon: Insert
// Node, Delete Node, Corner and Close.
#pragma once

#include <functional>

class Shape;

enum NodeMenuId : int {
  kNodeInsert = 6077,
  kNodeDelete = 6078,
  kNodeCorner = 6079,
  kNodeClose = 6080,
};

// What the menu offers, in item order (Insert, Delete, Corner, Close).
struct NodeMenuItems {
  bool enabled[4] = {false, false, false, false};
  bool checked[4] = {false, false, false, false};
};

// Shows the menu at the drawing point (x, y) for `shape` (null: no object there, every item
// greyed) and carries out the chosen operation on a curve or polygon.
void RunNodeMenu(Shape* shape, float x, float y);

// Tests choose an item instead of a popup: the hook gets the items and returns a command id
// (0: nothing chosen). An empty hook shows the real popup.
using NodeMenuHook = std::function<int(const NodeMenuItems& items)>;
void SetNodeMenuHook(NodeMenuHook hook);

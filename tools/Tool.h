// Mouse tools: the interface every tool implements, the tool ids (their palette commands) and
// the one current tool.
#pragma once

#include <memory>

class Shape;

enum ToolId : int {
  kToolSelection = 456,
  kToolScroll = 416,
  kToolZoom = 417,
  kToolLine = 401,
  kToolRectangle = 405,
  kToolEllipse = 407,
  kToolArc = 408,
  kToolCurve = 410,
  kToolPolygon = 414,
  kToolText = 411,
  kToolScale = 451,
  kToolRotate = 452,
  kToolSkew = 454,
  kToolReflect = 455,
};

// Codes `Key` receives for special keys; any other value is a typed character.
enum ToolKey : int {
  kKeyEnd = 1,
  kKeyHome = 2,
  kKeyLeft = 3,
  kKeyUp = 4,
  kKeyRight = 5,
  kKeyDown = 6,
  kKeyDelete = 7,
};

// Coordinates are drawing coordinates in points, y upwards; `shift` is non-zero while Shift is
// held.
class Tool {
 public:
  virtual ~Tool() = default;
  // The selection tool hands a shape to the tool that edits it.
  virtual void BeginEdit(Shape* /*shape*/) {}
  virtual void Activate() {}
  // Handle number under the point, or -1.
  virtual int HitHandle(float /*x*/, float /*y*/) { return -1; }
  virtual void Deactivate() {}
  virtual void Key(int /*code*/) {}
  virtual void MouseMove(float x, float y, int shift) = 0;
  virtual void MouseDown(float x, float y, int shift) = 0;
  virtual void MouseUp(float x, float y, int shift) = 0;
  virtual void DoubleClick(float /*x*/, float /*y*/, int /*shift*/) {}
  virtual void RightButtonDown(float /*x*/, float /*y*/, int /*shift*/) {}
};

// True for the fourteen palette ids.
bool IsToolId(int id);
// The instance for a palette id, replacing any before it (the current tool stays current
// until the next SelectTool).
void RegisterTool(int id, std::unique_ptr<Tool> tool);
// Makes the tool instances (once) and the selection tool current, activated.
void CreateTools();
// Deactivates the current tool, makes the tool of `id` current and activates it; nothing when
// it already is current or no tool has that id.
void SelectTool(int id);
int CurrentToolId();
Tool* CurrentTool();
Tool* ToolFor(int id);

// Called by SelectTool with the old and new ids, so the palette redraws both buttons.
using ToolChangeHandler = void (*)(int oldId, int newId);
void SetToolChangeHandler(ToolChangeHandler handler);

#include "tools/Tool.h"

#include <memory>

#include "tools/PathTools.h"
#include "tools/SelectionTool.h"
#include "tools/ShapeTool.h"
#include "tools/TextTool.h"

namespace {

constexpr int kToolIds[] = {kToolSelection, kToolScroll, kToolZoom,  kToolLine,    kToolRectangle,
                            kToolEllipse,   kToolArc,    kToolCurve, kToolPolygon, kToolText,
                            kToolScale,     kToolRotate, kToolSkew,  kToolReflect};
constexpr int kToolCount = sizeof(kToolIds) / sizeof(kToolIds[0]);

struct Tools {
  std::unique_ptr<Tool> instances[kToolCount];
  int currentId = 0;
  Tool* current = nullptr;
  ToolChangeHandler onChange = nullptr;
};

Tools& State() {
  static Tools tools;
  return tools;
}

int IndexOf(int id) {
  for (int i = 0; i < kToolCount; ++i) {
    if (kToolIds[i] == id) return i;
  }
  return -1;
}

}  // namespace

bool IsToolId(int id) { return IndexOf(id) >= 0; }

void CreateTools() {
  Tools& t = State();
  if (!t.instances[0]) t.instances[0] = std::make_unique<SelectionTool>();
  CreateShapeTools();
  if (!ToolFor(kToolCurve)) RegisterPathTools();
  if (!ToolFor(kToolText)) RegisterTextTool();
  if (t.current) t.current->Deactivate();
  t.current = t.instances[0].get();
  t.currentId = kToolSelection;
  t.current->Activate();
}

void RegisterTool(int id, std::unique_ptr<Tool> tool) {
  const int i = IndexOf(id);
  if (i < 0) return;
  Tools& t = State();
  if (t.current && t.current == t.instances[i].get()) {
    t.current = tool.get();
    if (!tool) t.currentId = 0;
  }
  t.instances[i] = std::move(tool);
}

Tool* ToolFor(int id) {
  int i = IndexOf(id);
  return i < 0 ? nullptr : State().instances[i].get();
}

void SelectTool(int id) {
  Tools& t = State();
  Tool* next = ToolFor(id);
  if (id == t.currentId || !next) return;
  if (t.current) t.current->Deactivate();
  int old = t.currentId;
  t.current = next;
  t.currentId = id;
  if (t.onChange) t.onChange(old, id);
  next->Activate();
}

int CurrentToolId() { return State().currentId; }
Tool* CurrentTool() { return State().current; }
void SetToolChangeHandler(ToolChangeHandler handler) { State().onChange = handler; }

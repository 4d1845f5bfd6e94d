#include <memory>

#include "model/SimpleShapes.h"
#include "tools/ShapeTool.h"
#include "tools/TransformTool.h"

namespace {

// The registered tool for `id`, made anew when it is missing or was replaced by another kind.
template <class T>
Tool* Ensure(int id) {
  if (auto* tool = dynamic_cast<T*>(ToolFor(id))) return tool;
  auto tool = std::make_unique<T>();
  Tool* made = tool.get();
  RegisterTool(id, std::move(tool));
  return made;
}

}  // namespace

void CreateShapeTools() {
  // The selection tool hands handle drags of these shapes to the tool that draws them.
  ShapeEditors& editors = TheShapeEditors();
  editors.line = Ensure<LineTool>(kToolLine);
  editors.box = Ensure<RectangleTool>(kToolRectangle);
  editors.oval = Ensure<EllipseTool>(kToolEllipse);
  editors.arc = Ensure<ArcTool>(kToolArc);
  Ensure<ScaleTool>(kToolScale);
  Ensure<RotateTool>(kToolRotate);
  Ensure<SkewTool>(kToolSkew);
  Ensure<ReflectTool>(kToolReflect);
}

#include <memory>

#include "model/SimpleShapes.h"
#include "tools/ShapeTool.h"
#include "tools/TransformTool.h"

void CreateShapeTools() {
  if (ToolFor(kToolLine)) return;
  auto line = std::make_unique<LineTool>();
  auto box = std::make_unique<RectangleTool>();
  auto oval = std::make_unique<EllipseTool>();
  auto arc = std::make_unique<ArcTool>();
  // The selection tool hands handle drags of these shapes to the tool that draws them.
  ShapeEditors& editors = TheShapeEditors();
  editors.line = line.get();
  editors.box = box.get();
  editors.oval = oval.get();
  editors.arc = arc.get();
  RegisterTool(kToolLine, std::move(line));
  RegisterTool(kToolRectangle, std::move(box));
  RegisterTool(kToolEllipse, std::move(oval));
  RegisterTool(kToolArc, std::move(arc));
  RegisterTool(kToolScale, std::make_unique<ScaleTool>());
  RegisterTool(kToolRotate, std::make_unique<RotateTool>());
  RegisterTool(kToolSkew, std::make_unique<SkewTool>());
  RegisterTool(kToolReflect, std::make_unique<ReflectTool>());
}

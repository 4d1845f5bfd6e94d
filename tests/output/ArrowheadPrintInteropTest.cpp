// A hairline with arrowheads must print: the procset sizes arrowheads by the line width, and a
// width of 0 would scale them to a singular matrix.
#include <gtest/gtest.h>

#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "output/ExportFile.h"
#include "support/OutputTestSupport.h"

TEST(ArrowheadPrintInterop, HairlineWithArrowsRendersInGhostscript) {
  std::string dir = TestWorkDir("arrowhead_print");
  Drawing drawing;
  for (float width : {0.0f, 0.25f, 3.0f}) {
    auto* line = new LineShape(100, 100 + width * 40, 300, 200 + width * 40);
    line->SetLineWidth(width);
    line->SetArrows(Arrowhead{1, 2}, Arrowhead{2, 2});  // the V uses currentpoint
    ASSERT_TRUE(drawing.AddShape(line));
  }
  std::string eps = dir + "/arrows.eps";
  ASSERT_TRUE(ExportTo(drawing, kExportEps, eps));
  ExpectGhostscriptClean("-q -sDEVICE=nullpage " + eps, dir + "/gs.log", false);
}

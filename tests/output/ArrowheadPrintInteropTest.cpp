// A hairline with arrowheads must print: the procset sizes arrowheads by the line width, and a
// width of 0 would scale them to a singular matrix.
#include <gtest/gtest.h>

#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "output/ExportFile.h"
#include "output/OutputSink.h"
#include "support/TestSupport.h"

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
  FileSink sink(eps);
  ASSERT_TRUE(sink.Open());
  ASSERT_EQ(ExportFile(drawing, kExportEps, &sink, ExportOptions()), 1);
  ASSERT_EQ(sink.Close(), 1);
  std::string log = dir + "/gs.log";
  int status =
      RunCommand("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage " + eps + " >" + log + " 2>&1");
  std::string out = ReadFileBytes(log);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out.find("Error"), std::string::npos) << out;
}

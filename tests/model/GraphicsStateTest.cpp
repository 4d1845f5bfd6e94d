#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/DebugLog.h"
#include "model/GraphicsState.h"
#include "support/ModelTestSupport.h"

namespace {

std::vector<std::string> Flat(GraphicsState& gs) {
  std::vector<std::string> out;
  EXPECT_TRUE(gs.flatten());
  int32_t at = 0;
  for (int32_t n : gs.FlatCounts()) {
    std::string s;
    for (int32_t i = 0; i < n; ++i) {
      const gdi::DevPoint& p = gs.FlatPoints()[at + i];
      s += (i ? " " : "") + std::to_string(p.x) + "," + std::to_string(p.y);
    }
    at += n;
    out.push_back(s);
  }
  return out;
}

}  // namespace

TEST(GraphicsState, FlatteningRoundsClosesAndSplitsCurves) {
  GraphicsState gs;
  gs.moveto(1.5f, -1.7f);
  gs.lineto(10, 0);
  gs.lineto(10, 10);
  gs.closepath();
  gs.lineto(0, 20);  // after closepath, drawing resumes at the subpath's start
  EXPECT_EQ(Flat(gs), (std::vector<std::string>{"2,-1 10,0 10,10 2,-1", "2,-1 0,20"}));

  // End points that coincide with controls beside them: only the end point is added.
  gs.newpath();
  gs.moveto(10, 10);
  gs.curveto(10.2f, 10.1f, 10.3f, 9.8f, 10, 10);
  EXPECT_EQ(Flat(gs), (std::vector<std::string>{"10,10 10,10"}));

  // A closed loop drawn as one segment is subdivided, not lost.
  gs.newpath();
  gs.moveto(0, 0);
  gs.curveto(100, 0, 100, 100, 0, 0);
  ASSERT_TRUE(gs.flatten());
  ASSERT_GT(gs.FlatCounts()[0], 4);
  int maxX = 0;
  for (const gdi::DevPoint& p : gs.FlatPoints()) maxX = std::max(maxX, p.x);
  EXPECT_GT(maxX, 60);
}

TEST(GraphicsState, StacksRestoreAndUnderflow) {
  GraphicsState gs;
  gs.setmatrix(MatrixD{1, 0, 0, -1, 0, 0});
  gs.scale(3, 3);
  gs.setlinewidth(2);
  EXPECT_FLOAT_EQ(gs.state().lineWidth, 6);
  gs.gsave();
  gs.setrgbcolor(1, 0, 0);
  gs.setdash(2);
  gs.translate(10, 10);
  EXPECT_EQ(gs.SaveDepth(), 1);
  EXPECT_TRUE(gs.grestore());
  EXPECT_EQ(V(gs.state().red, gs.state().dash, gs.matrix().tx), V(0, -1, 0));

  ClearDebugLog();
  EXPECT_FALSE(gs.grestore());
  EXPECT_FALSE(gs.restorematrix());
  ASSERT_EQ(DebugLogLines().size(), 2u);
  EXPECT_EQ(DebugLogLines().front(), "Stack underflow");

  gs.savematrix();
  gs.pushidentity();
  float m[6];
  gs.currentmatrix(m);
  EXPECT_EQ(m[3], 1);
  EXPECT_TRUE(gs.restorematrix());
  EXPECT_TRUE(gs.restorematrix());
  gs.currentmatrix(m);
  EXPECT_EQ(V(m[0], m[3]), V(3, -3));
  gs.Reset();
  EXPECT_EQ(V(gs.SaveDepth(), gs.matrix().d), V(0, 1));
}

TEST(GraphicsState, PaintingHandsOverThenClearsThePath) {
  GraphicsState gs;
  RecordingPainter painter;
  SetPathPainter(&painter);
  gs.rectpath(0, 0, 1, 1);
  gs.stroke(0);
  EXPECT_TRUE(gs.path().Empty());
  EXPECT_EQ(gs.state().cpDefined, 0);
  gs.moveto(0, 0);
  gs.lineto(1, 1);
  gs.fill(1);
  ASSERT_EQ(painter.calls.size(), 2u);
  const PaintCall &s = painter.calls[0], &f = painter.calls[1];
  EXPECT_EQ(V(s.fill, s.path.size(), f.fill, f.mode, f.path.size()), V(0, 5, 1, 1, 2));
  SetPathPainter(nullptr);
  gs.moveto(0, 0);
  gs.stroke(1);  // nobody paints, the path still goes
  EXPECT_TRUE(gs.path().Empty());
}

#include <QTest>
#include <vector>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "render/View.h"
#include "support/TestSupport.h"
#include "tools/NodeMenu.h"
#include "tools/PathTools.h"
#include "tools/Tool.h"

namespace {

// Zoom 2 with a one-point grid: every window pixel snaps back to the point it was meant for.
class PathToolsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    Start();
    FixView(2, 1);
  }
  void TearDown() override {
    SetNodeMenuHook(nullptr);
    SelectTool(kToolSelection);
    GuiTest::TearDown();
  }
  Shape* Last() {
    ShapeList& s = App().drawing->shapes();
    return s.Count() ? s[s.Count() - 1] : nullptr;
  }
};

const Point A{250, 350}, B{330, 360}, C{300, 420};

TEST_F(PathToolsTest, PolygonEndsByDoubleClickOrToolSwitch) {
  const struct {
    std::vector<Point> clicks;  // the last one is a double click unless `switchTool`
    bool switchTool;
    std::vector<Point> expected;
    int closed;
  } cases[] = {
      {{A, B}, false, {A, B}, 0},           // the plain first click's duplicate goes
      {{A, B, C, A}, false, {A, B, C}, 1},  // ending on the first point closes
      {{A, B}, true, {A, B}, 0},            // a tool switch adds it unclosed
  };
  App().drawing->defaultStyle.lineWidth = 3;
  for (const auto& c : cases) {
    SelectTool(kToolPolygon);
    const int before = App().drawing->shapes().Count();
    for (size_t i = 0; i + 1 < c.clicks.size(); ++i) Click(c.clicks[i]);
    if (c.switchTool) {
      Click(c.clicks.back());
      SelectTool(kToolSelection);
    } else {
      DoubleClick(c.clicks.back());
    }
    ASSERT_EQ(App().drawing->shapes().Count(), before + 1);
    auto* p = static_cast<PolygonShape*>(Last());
    ASSERT_EQ(p->Kind(), kPolygonShape);
    ASSERT_EQ(p->points.Count(), int(c.expected.size()));
    for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(p->points[i], c.expected[i]) << i;
    EXPECT_EQ(V(p->closed, p->style().lineWidth), V(c.closed, 3));
    EXPECT_TRUE(App().drawing->IsSelected(p));
  }
  App().drawing->Undo();
  EXPECT_EQ(App().drawing->shapes().Count(), 2);
}

TEST_F(PathToolsTest, TwoNodeCurveIsNotEndedOnItsFirstPoint) {
  SelectTool(kToolCurve);
  Click(A);
  Click(B);
  DoubleClick(A);  // the double click adds A, which makes three nodes, then closes
  ASSERT_EQ(App().drawing->shapes().Count(), 1);
  auto* c = static_cast<CurveShape*>(Last());
  EXPECT_EQ(V(c->nodes.Count(), c->closed), V(2, 1));
  // Only two nodes when the double click comes: drawing goes on, and a tool switch drops it.
  Click(A);
  DoubleClick(A);
  EXPECT_EQ(App().drawing->shapes().Count(), 1);
  EXPECT_EQ(static_cast<PathTool*>(ToolFor(kToolCurve))->state(), PathTool::kAdding);
  SelectTool(kToolSelection);
  EXPECT_EQ(App().drawing->shapes().Count(), 1);
}

TEST_F(PathToolsTest, ControlDragKeepsSmoothNodesInLine) {
  for (int corner : {0, 1}) {
    auto* c = new CurveShape;
    c->AddNode(MakeCurveNode(200, 400, 0));
    CurveNode mid = MakeCurveNode(300, 400, uint8_t(corner));
    mid.inX = 280, mid.inY = 400, mid.outX = 330, mid.outY = 400;
    c->AddNode(mid);
    c->AddNode(MakeCurveNode(400, 400, 0));
    App().drawing->AddShape(c);
    SelectTool(kToolCurve);
    ToolFor(kToolCurve)->BeginEdit(c);
    Drag(Point{280, 400}, Point{300, 420});  // first control of node 1, straight above
    const CurveNode& n = c->nodes[1];
    EXPECT_EQ(V(n.inX, n.inY), V(300, 420));
    // A smooth node's other control turns opposite, 30 points below the anchor.
    EXPECT_NEAR(n.outX, corner ? 330 : 300, 1e-3);
    EXPECT_NEAR(n.outY, corner ? 400 : 370, 1e-3);
    App().drawing->Undo();
    EXPECT_EQ(V(c->nodes[1].inX, c->nodes[1].outY), V(280, 400));
  }
}

TEST_F(PathToolsTest, DeleteNodeNeedsAnAnchorAndLeavesTwoPoints) {
  auto* curve = new CurveShape;
  for (float x : {200.0f, 300.0f, 400.0f}) curve->AddNode(MakeCurveNode(x, 300, 0));
  curve->nodes[1].outX = 330;
  auto* tri = new PolygonShape;
  for (Point p : {A, B, C}) tri->AddPoint(p.x, p.y);
  auto* two = new PolygonShape;
  for (Point p : {A, B}) two->AddPoint(p.x, p.y);
  Drawing& d = *App().drawing;
  for (Shape* s : {static_cast<Shape*>(curve), static_cast<Shape*>(tri), static_cast<Shape*>(two)})
    d.AddShape(s);
  NodeMenuItems seen;
  SetNodeMenuHook([&](const NodeMenuItems& items) {
    seen = items;
    return int(kNodeDelete);
  });
  const struct {
    Shape* shape;
    Point at;
    int countAfter;
    bool cornerEnabled;
  } cases[] = {
      {curve, {330, 300}, 3, true},  // a control point: nothing
      {tri, B, 2, false},
      {two, B, 2, false},  // never below two points
  };
  for (const auto& c : cases) {
    const int undo = d.undo().UndoCount();
    RunNodeMenu(c.shape, c.at.x, c.at.y);
    const int count = c.shape == curve ? curve->nodes.Count()
                                       : static_cast<PolygonShape*>(c.shape)->points.Count();
    EXPECT_EQ(V(count, d.undo().UndoCount(), seen.enabled[1], seen.enabled[2]),
              V(c.countAfter, undo + (c.shape == tri ? 1 : 0), 1, c.cornerEnabled));
  }
  RunNodeMenu(nullptr, 0, 0);
  for (bool e : seen.enabled) EXPECT_FALSE(e);
}

TEST_F(PathToolsTest, NodeMenuMarksCloseAndCornerAndUndoesThem) {
  auto* c = new CurveShape;
  for (float x : {200.0f, 300.0f, 400.0f}) c->AddNode(MakeCurveNode(x, 300, 0));
  App().drawing->AddShape(c);
  NodeMenuItems seen;
  int choice = 0;
  SetNodeMenuHook([&](const NodeMenuItems& items) {
    seen = items;
    return choice;
  });
  const struct {
    int choice;
    Point at;
    bool closeChecked, cornerChecked;  // as the menu showed them
    int32_t nodes, closed, corner;     // the curve afterwards (corner of node 1)
  } steps[] = {
      {kNodeClose, {300, 300}, false, false, 3, 1, 0},
      {kNodeCorner, {300, 300}, true, false, 3, 1, 1},
      {kNodeCorner, {300, 300}, true, true, 3, 1, 0},
      {kNodeInsert, {250, 300}, true, false, 4, 1, 0},
  };
  for (const auto& s : steps) {
    choice = s.choice;
    RunNodeMenu(c, s.at.x, s.at.y);
    EXPECT_EQ(V(seen.checked[3], seen.checked[2], c->nodes.Count(), c->closed, c->nodes[1].corner),
              V(s.closeChecked, s.cornerChecked, s.nodes, s.closed, s.corner))
        << s.choice;
  }
  for (int i = 0; i < 4; ++i) App().drawing->Undo();
  EXPECT_EQ(V(c->nodes.Count(), c->closed), V(3, 0));
}

}  // namespace

#include <QTest>
#include <vector>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "render/View.h"
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
  QWidget* Viewport() { return App().client->viewport(); }
  QPoint Px(Point p) {
    View& v = App().client->view();
    const Point d = v.Transform(p.x, p.y);
    const double k = v.DevicePixelRatio();
    return QPoint(qRound(d.x / k), qRound(d.y / k));
  }
  void Click(Point p) { QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Px(p)); }
  // Press, release, double click, release, as the window sees a double click.
  void DoubleClick(Point p) {
    Click(p);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Px(p));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, Px(p));
  }
  void Drag(Point from, Point to) {
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, Px(from));
    QTest::mouseMove(Viewport(), Px(to));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, Px(to));
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
    EXPECT_EQ(p->closed, c.closed);
    EXPECT_EQ(p->style().lineWidth, 3);
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
  EXPECT_EQ(c->nodes.Count(), 2);
  EXPECT_EQ(c->closed, 1);
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
    EXPECT_EQ(n.inX, 300);
    EXPECT_EQ(n.inY, 420);
    if (corner) {
      EXPECT_EQ(n.outX, 330);
      EXPECT_EQ(n.outY, 400);
    } else {
      EXPECT_NEAR(n.outX, 300, 1e-3);  // opposite, 30 points below the anchor
      EXPECT_NEAR(n.outY, 370, 1e-3);
    }
    App().drawing->Undo();
    EXPECT_EQ(c->nodes[1].inX, 280);
    EXPECT_EQ(c->nodes[1].outY, 400);
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
    EXPECT_EQ(count, c.countAfter);
    EXPECT_EQ(d.undo().UndoCount(), undo + (c.shape == tri ? 1 : 0));
    EXPECT_TRUE(seen.enabled[1]);
    EXPECT_EQ(seen.enabled[2], c.cornerEnabled);
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
    EXPECT_EQ(seen.checked[3], s.closeChecked) << s.choice;
    EXPECT_EQ(seen.checked[2], s.cornerChecked) << s.choice;
    EXPECT_EQ(c->nodes.Count(), s.nodes);
    EXPECT_EQ(c->closed, s.closed);
    EXPECT_EQ(c->nodes[1].corner, s.corner);
  }
  for (int i = 0; i < 4; ++i) App().drawing->Undo();
  EXPECT_EQ(c->nodes.Count(), 3);
  EXPECT_EQ(c->closed, 0);
}

}  // namespace

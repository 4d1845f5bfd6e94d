#include <gtest/gtest.h>

#include "model/PathShapes.h"
#include "support/ModelTestSupport.h"

namespace {

Point Bezier(const Point p[4], double t) {
  double u = 1 - t;
  double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
  return Point{float(a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x),
               float(a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y)};
}

// Page-space control points of segment i of a curve.
void Segment(const CurveShape& c, int32_t i, Point out[4]) {
  const CurveNode& a = c.nodes[i];
  const CurveNode& b = c.nodes[(i + 1) % c.nodes.Count()];
  out[0] = Transform(c.matrix(), a.x, a.y);
  out[1] = Transform(c.matrix(), a.outX, a.outY);
  out[2] = Transform(c.matrix(), b.inX, b.inY);
  out[3] = Transform(c.matrix(), b.x, b.y);
}

}  // namespace

TEST(PathShapesTest, PolygonSnapTriesTheClosingEdgeLastAndOnlyWhenClosed) {
  PolygonShape poly;
  poly.AddPoint(0, 0);
  poly.AddPoint(100, 0);
  poly.AddPoint(50, 100);
  float x = 22, y = 48;  // near the edge from (50, 100) back to (0, 0)
  EXPECT_EQ(poly.SnapToOutline(&x, &y, 3), 0);
  EXPECT_EQ(x, 22);
  poly.Close();
  ASSERT_EQ(poly.SnapToOutline(&x, &y, 3), 1);
  ExpectPoint(Point{x, y}, 23.6, 47.2, 1e-3);  // projected onto y = 2x

  // Near both the first and the closing edge: the first edge wins.
  x = 1, y = 1.5f;
  ASSERT_EQ(poly.SnapToOutline(&x, &y, 2), 1);
  EXPECT_FLOAT_EQ(y, 0);

  // Insertion maps the page point back into the scaled local system.
  poly.SetMatrix(2, 0, 0, 2, 0, 0);
  ASSERT_EQ(poly.InsertNodeAt(100, 1, 2), 1);
  ASSERT_EQ(poly.points.Count(), 4);
  ExpectPoint(poly.points[1], 50, 0);
  ASSERT_EQ(poly.InsertNodeAt(50, 100, 2), 1);  // the closing edge: appended at the end
  ExpectPoint(poly.points[4], 25, 50, 1e-3);
  EXPECT_EQ(V(poly.InsertNodeAt(500, 500, 2), poly.DeleteNode(9), poly.DeleteNode(0)), V(0, 0, 1));
  EXPECT_EQ(V(poly.points.Count(), poly.points[0].x), V(4, 50));
}

TEST(PathShapesTest, CurveInsertionKeepsTheDrawnCurve) {
  for (int32_t closed : {0, 1}) {
    CurveShape c;
    c.AddNode(CurveNode{0, 0, -20, -40, 30, 80, 1});
    c.AddNode(CurveNode{120, 10, 90, 90, 150, -60, 0});
    c.closed = closed;
    c.Rotate(10, 10, 30);
    c.Scale(0, 0, 1.5f, 0.5f);

    int32_t seg = closed ? 1 : 0;  // closed: split the closing segment
    Point before[4];
    Segment(c, seg, before);
    Point click = Bezier(before, 0.3);
    float t = 0;
    Point at;
    ASSERT_TRUE(NearestOnBezier(before, click.x + 0.5f, click.y, 2, &t, &at));

    ASSERT_EQ(c.InsertNodeAt(click.x + 0.5f, click.y, 2), 1);
    ASSERT_EQ(c.nodes.Count(), 3);
    int32_t fresh = closed ? 2 : 1;
    EXPECT_EQ(V(c.nodes[fresh].corner, c.nodes[0].corner), V(0, 1));
    Point left[4], right[4];
    Segment(c, fresh - 1, left);
    Segment(c, fresh, right);
    for (int i = 0; i <= 20; ++i) {
      double s = i / 20.0;
      SCOPED_TRACE(testing::Message() << "closed " << closed << " at " << s);
      Point q = Bezier(before, t * s), r = Bezier(before, t + (1 - t) * s);
      ExpectPoint(Bezier(left, s), q.x, q.y, 2e-3);
      ExpectPoint(Bezier(right, s), r.x, r.y, 2e-3);
    }
  }
}

TEST(PathShapesTest, SegmentRectangleTestIsExact) {
  EXPECT_TRUE(SegmentMeetsRect(0, 0, 10, 10, 4, 4, 6, 6));
  EXPECT_TRUE(SegmentMeetsRect(5, 5, 5, 5, 6, 6, 4, 4));   // a point inside, rect unnormalised
  EXPECT_TRUE(SegmentMeetsRect(0, 6, 10, 6, 4, 4, 6, 6));  // along the top edge
  EXPECT_FALSE(SegmentMeetsRect(0, 10, 9.9f, 0, 0, 0, 4.9f, 4.9f));  // passes the corner
  EXPECT_TRUE(SegmentMeetsRect(0, 10, 10, 0, 0, 0, 5, 5));           // touches the corner
  EXPECT_FALSE(SegmentMeetsRect(0, 0, 3, 3, 4, 4, 6, 6));            // on the line, stops short
  EXPECT_TRUE(SegmentNearPoint(0, 0, 100, 0, 50, 2, 2));
  EXPECT_FALSE(SegmentNearPoint(0, 0, 100, 0, 50, 2.5f, 2));
}

TEST(PathShapesTest, SmoothingOfOpenClosedAndTwoNodeCurves) {
  // A gentle bend and its mirror image get mirrored controls of the same length.
  CurveNode up[3] = {MakeCurveNode(0, 0, 0), MakeCurveNode(100, 10, 0), MakeCurveNode(200, 0, 0)};
  CurveNode down[3] = {MakeCurveNode(0, 0, 0), MakeCurveNode(100, -10, 0),
                       MakeCurveNode(200, 0, 0)};
  SmoothNodes(up, 3, 1);
  SmoothNodes(down, 3, 1);
  for (int i = 0; i < 3; ++i) {
    ExpectPoint(Point{up[i].inX, up[i].inY}, down[i].inX, -down[i].inY, 1e-3);
    ExpectPoint(Point{up[i].outX, up[i].outY}, down[i].outX, -down[i].outY, 1e-3);
  }
  // Closed: every node is smooth, its controls on opposite sides of the anchor.
  for (const CurveNode& c : up) {
    double cross = (c.inX - c.x) * (c.outY - c.y) - (c.inY - c.y) * (c.outX - c.x);
    double dot = (c.inX - c.x) * (c.outX - c.x) + (c.inY - c.y) * (c.outY - c.y);
    EXPECT_NEAR(cross, 0, 1e-2);
    EXPECT_LT(dot, 0);
  }

  CurveNode two[2] = {MakeCurveNode(0, 0, 0), MakeCurveNode(90, 30, 0)};
  SmoothNodes(two, 2, 0);
  // Unused controls stay on their anchors.
  EXPECT_EQ(V(two[0].outX, two[0].outY, two[1].inX, two[1].inY, two[1].outX, two[0].inY),
            V(30, 10, 60, 20, 90, 0));
}

TEST(PathShapesTest, CurveBoundsUseOnlyTheControlsThePathUses) {
  CurveShape c;
  c.AddNode(CurveNode{0, 0, -500, 0, 10, 80, 0});      // the incoming control unused while open
  c.AddNode(CurveNode{100, 0, 90, -30, 100, 700, 0});  // the outgoing one unused while open
  ExpectRect(BoundsOf(&c, 0), 0, -30, 100, 80);        // the control box, above the drawn curve
  c.Close();
  ExpectRect(BoundsOf(&c, 0), -500, -30, 100, 700);
  c.Move(1, 0);
  c.SetLineWidth(4);
  EXPECT_FLOAT_EQ(BoundsOf(&c, 1).x1, -501);

  CurveShape single;
  single.AddNode(MakeCurveNode(5, 5, 0));
  ExpectRect(BoundsOf(&single, 0), 5, 5, 5, 5);
}

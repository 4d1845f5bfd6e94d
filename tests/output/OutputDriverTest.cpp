#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/PathShapes.h"
#include "output/OutputDriver.h"
#include "output/TraceDriver.h"
#include "support/TestSupport.h"

namespace {

// Keeps the DrawCurve calls that the base oval and arc make.
class CurveCapture : public OutputDriver {
 public:
  struct Call {
    const PaintStyle* style;
    const Matrix* m;
    std::vector<CurveNode> nodes;
    int32_t closed;
  };
  int32_t BeginDocument(const PageInfo*, int32_t, ProgressDialog*) override { return 1; }
  void EndDocument(ProgressDialog*) override {}
  void DrawPolygon(const PaintStyle*, const Matrix*, const Point*, int32_t, int32_t) override {}
  void DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes, int32_t count,
                 int32_t closed) override {
    calls.push_back({style, m, std::vector<CurveNode>(nodes, nodes + count), closed});
  }
  std::vector<Call> calls;
};

double Deg(double d) { return d * kPi / 180; }

// Checks one arc piece between two nodes of the unit circle: anchors at the angles, controls
// tangent to the circle at distance (4/3) tan(da/4).
void ExpectUnitPiece(const CurveNode& from, const CurveNode& to, double a1, double da) {
  double a2 = a1 + da;
  double h = 4.0 / 3.0 * std::tan(Deg(da) / 4);
  EXPECT_NEAR(from.x, std::cos(Deg(a1)), 1e-5);
  EXPECT_NEAR(from.y, std::sin(Deg(a1)), 1e-5);
  EXPECT_NEAR(to.x, std::cos(Deg(a2)), 1e-5);
  EXPECT_NEAR(to.y, std::sin(Deg(a2)), 1e-5);
  EXPECT_NEAR(from.outX, std::cos(Deg(a1)) - h * std::sin(Deg(a1)), 1e-5);
  EXPECT_NEAR(from.outY, std::sin(Deg(a1)) + h * std::cos(Deg(a1)), 1e-5);
  EXPECT_NEAR(to.inX, std::cos(Deg(a2)) + h * std::sin(Deg(a2)), 1e-5);
  EXPECT_NEAR(to.inY, std::sin(Deg(a2)) - h * std::cos(Deg(a2)), 1e-5);
  // Tangent: the control offset is perpendicular to the radius.
  EXPECT_NEAR((from.outX - from.x) * from.x + (from.outY - from.y) * from.y, 0, 1e-5);
  EXPECT_NEAR((to.inX - to.x) * to.x + (to.inY - to.y) * to.y, 0, 1e-5);
}

}  // namespace

TEST(OutputDriverTest, BaseOvalIsClosedFourQuadrantCurveUnderCentreAndRadii) {
  CurveCapture d;
  PaintStyle style;
  Matrix m = MakeMatrix(2, 0, 0, 2, 5, 5);
  d.DrawOval(&style, &m, 10, 20, 4, 2);
  ASSERT_EQ(d.calls.size(), 1u);
  const auto& c = d.calls[0];
  // The matrix goes on unchanged, not folded into the points.
  EXPECT_TRUE(c.style == &style && c.m == &m && c.closed == 1);
  ASSERT_EQ(c.nodes.size(), 4u);
  // Anchors scaled by the radii; the controls' shape is in the trace below.
  const float ux[4] = {1, 0, -1, 0}, uy[4] = {0, 1, 0, -1};
  for (int i = 0; i < 4; ++i) {
    const CurveNode& n = c.nodes[i];
    EXPECT_NEAR(std::hypot(n.x - 10 - 4 * ux[i], n.y - 20 - 2 * uy[i]), 0, 1e-5) << i;
    EXPECT_EQ(n.corner, 0);
  }

  // The trace of the same call, as the graphics-device drivers see it.
  TraceDriver t;
  t.SetUseBaseCurves(true);
  t.DrawOval(nullptr, nullptr, 0, 0, 1, 1);
  ASSERT_EQ(t.lines().size(), 1u);
  EXPECT_EQ(t.lines()[0],
            "DrawCurve - - n=4 closed=1 (1 0; 1 -0.552285; 1 0.552285; 0) "
            "(0 1; 0.552285 1; -0.552285 1; 0) (-1 0; -1 0.552285; -1 -0.552285; 0) "
            "(0 -1; -0.552285 -1; 0.552285 -1; 0)");
}

TEST(OutputDriverTest, BaseArcSplitsIntoPiecesOfAtMostNinetyDegrees) {
  struct Case {
    float a1, a2;
    std::vector<double> sweeps;
    double start;
  };
  const Case cases[] = {
      {0, 90, {90}, 0},
      {0, 200, {90, 90, 20}, 0},
      {300, 60, {90, 30}, 300},  // crosses 0: runs on counter-clockwise
      {-90, 0, {90}, 270},       // negative angles are brought into 0..360
      {45, 30, {90, 90, 90, 75}, 45},
  };
  for (const Case& cs : cases) {
    SCOPED_TRACE(testing::Message() << cs.a1 << ".." << cs.a2);
    CurveCapture d;
    Matrix m;
    d.DrawArc(nullptr, &m, 0, 0, 1, 1, cs.a1, cs.a2);
    ASSERT_EQ(d.calls.size(), 1u);
    const auto& c = d.calls[0];
    EXPECT_TRUE(c.closed == 0 && c.m == &m);
    ASSERT_EQ(c.nodes.size(), cs.sweeps.size() + 1);
    double a = cs.start;
    for (size_t i = 0; i < cs.sweeps.size(); ++i) {
      ExpectUnitPiece(c.nodes[i], c.nodes[i + 1], a, cs.sweeps[i]);
      a += cs.sweeps[i];
    }
    // The open ends carry no dangling controls.
    const CurveNode &f = c.nodes.front(), &b = c.nodes.back();
    EXPECT_NEAR(std::hypot(f.inX - f.x, f.inY - f.y) + std::hypot(b.outX - b.x, b.outY - b.y), 0,
                1e-5);
    for (const CurveNode& n : c.nodes) EXPECT_EQ(n.corner, 0);
  }

  // Unit-circle nodes are scaled by the radii and moved to the centre.
  CurveCapture e;
  e.DrawArc(nullptr, nullptr, 100, 50, 20, 10, 0, 90);
  ASSERT_EQ(e.calls.size(), 1u);
  ASSERT_EQ(e.calls[0].nodes.size(), 2u);
  const CurveNode& end = e.calls[0].nodes[1];
  EXPECT_NEAR(std::hypot(end.x - 100, end.y - 60), 0, 1e-4);
  EXPECT_NEAR(end.inX, 100 + 20 * 4.0 / 3.0 * std::tan(kPi / 8), 1e-4);
  EXPECT_NEAR(e.calls[0].nodes[0].outY, 50 + 10 * 4.0 / 3.0 * std::tan(kPi / 8), 1e-4);

  // Equal angles draw nothing at all.
  CurveCapture none;
  none.DrawArc(nullptr, nullptr, 0, 0, 1, 1, 90, 90);
  EXPECT_TRUE(none.calls.empty());
  CurveNode* nodes = reinterpret_cast<CurveNode*>(1);
  int32_t count = -1;
  EXPECT_TRUE(ArcToCurveNodes(0, 0, 1, 1, 90, 90, &nodes, &count));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(nodes, nullptr);
}

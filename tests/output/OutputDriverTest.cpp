#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/PathShapes.h"
#include "output/OutputDriver.h"

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

}  // namespace

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
    // Anchors on the unit circle at the start and at the end of each piece.
    double a = cs.start;
    for (size_t i = 0; i <= cs.sweeps.size(); a += i < cs.sweeps.size() ? cs.sweeps[i] : 0, ++i) {
      const double r = a * kPi / 180;
      EXPECT_NEAR(std::hypot(c.nodes[i].x - std::cos(r), c.nodes[i].y - std::sin(r)), 0, 1e-5);
    }
    for (const CurveNode& n : c.nodes) EXPECT_EQ(n.corner, 0);
  }

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

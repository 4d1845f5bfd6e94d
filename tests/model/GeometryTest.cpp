#include <gtest/gtest.h>

#include "model/Geometry.h"
#include "support/TestSupport.h"

TEST(Geometry, InverseOfSingularAndRegularMatrices) {
  MatrixD singular = Invert(MatrixD{0, 0, 0, 0, 5, 5});
  for (double v : {singular.a, singular.b, singular.c, singular.d, singular.tx, singular.ty})
    EXPECT_EQ(v, 100000000.0);
  // Just inside the singular band, and the float form follows the same rule.
  EXPECT_EQ(Invert(MatrixD{0.00999, 0, 0, 0.01, 0, 0}).a, kSingularInverse);
  EXPECT_EQ(Invert(MakeMatrix(0, 0, 0, 0, 5, 5)).ty, float(kSingularInverse));

  MatrixD m{2, 1, -1, 3, 7, -4};
  MatrixD id = Multiply(m, Invert(m));
  const double got[6] = {id.a, id.b, id.c, id.d, id.tx, id.ty}, want[6] = {1, 0, 0, 1, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(got[i], want[i], 1e-12) << i;
  Point p = ITransform(m, 10, 20);
  Point back = Transform(m, p.x, p.y);
  EXPECT_NEAR(back.x, 10, 1e-4);
  EXPECT_NEAR(back.y, 20, 1e-4);
}

TEST(Geometry, ConcatOrderAppliesTheFirstMatrixFirst) {
  MatrixD translate{1, 0, 0, 1, 10, 0};
  MatrixD scale{2, 0, 0, 3, 0, 0};
  // Translate, then scale: (1, 1) -> (11, 1) -> (22, 3).
  Point p = Transform(Multiply(translate, scale), 1, 1);
  // The other order scales first: (2, 3) -> (12, 3); the delta transform leaves the
  // translation out.
  Point q = Transform(Multiply(scale, translate), 1, 1);
  Point d = DTransform(Multiply(translate, scale), 1, 1);
  EXPECT_EQ(V(p.x, p.y, q.x, q.y, d.x, d.y), V(22, 3, 12, 3, 2, 3));
}

TEST(Geometry, ColoursKeepLowBitsAndGoOutAsCmyk) {
  float cmyk[4];
  ColorToCmyk(Color{0, 100, 50}, cmyk);
  EXPECT_EQ(V(cmyk[0], cmyk[1], cmyk[2], cmyk[3]), V(1, 0, 0.5, 0));

  Color c = MakeColor(256 + 10, -1, 300);
  EXPECT_EQ(c, (Color{10, 255, 44}));
  EXPECT_NE(c, (Color{10, 255, 45}));
}

TEST(Geometry, PensSetDashOrSolidWidth) {
  PaintStyle style;
  style.lineWidth = 3;
  style.strokeOn = 0;
  ApplyPen(&style, 0);  // "Pen 0"
  EXPECT_EQ(style.dash, 0);
  EXPECT_EQ(style.lineWidth, 3);  // kept; writers use 1 for dashed lines
  EXPECT_EQ(style.strokeOn, 1);
  ApplyPen(&style, 8);  // "Pen 8"
  EXPECT_EQ(style.dash, -1);
  EXPECT_EQ(style.lineWidth, 2);
  ApplyPen(&style, 3);
  EXPECT_EQ(style.dash, 3);
  ApplyPen(&style, 4);
  EXPECT_EQ(style.lineWidth, 0.25f);
  EXPECT_EQ(style.dash, -1);
  ApplyPen(&style, 11);
  EXPECT_EQ(style.lineWidth, 5);
  PaintStyle before = style;
  ApplyPen(&style, 12);
  ApplyPen(&style, -1);
  EXPECT_TRUE(style == before);
}

TEST(Geometry, RectanglesNormaliseUnionAndIntersect) {
  Rect empty;
  EXPECT_TRUE(RectIsEmpty(empty));
  Rect r{10, 20, 0, 5};
  Rect n = NormalizeRect(r);
  EXPECT_EQ(V(n.x1, n.y1, n.x2, n.y2), V(0, 5, 10, 20));
  Rect u = UnionRect(empty, r);
  EXPECT_EQ(u.x1, r.x1);
  EXPECT_EQ(u.y2, r.y2);
  u = UnionRect(Rect{0, 0, 1, 1}, Rect{-5, 2, -4, 8});
  EXPECT_EQ(u.x1, -5);
  EXPECT_EQ(u.y2, 8);
  // Touching edges meet; corners are normalised first.
  EXPECT_TRUE(RectsIntersect(0, 0, 10, 10, 20, 20, 10, 10));
  EXPECT_FALSE(RectsIntersect(0, 0, 10, 10, 20, 20, 10.5f, 10.5f));
  Rect acc;
  AddPointToRect(&acc, 3, 4);
  AddPointToRect(&acc, -1, 9);
  EXPECT_EQ(V(acc.x1, acc.y1, acc.x2, acc.y2), V(-1, 4, 3, 9));
}

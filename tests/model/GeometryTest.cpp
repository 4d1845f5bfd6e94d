#include <gtest/gtest.h>

#include "model/Geometry.h"
#include "support/ModelTestSupport.h"

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
  ExpectPoint(Transform(m, p.x, p.y), 10, 20);
}

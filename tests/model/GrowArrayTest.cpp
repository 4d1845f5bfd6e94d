#include <gtest/gtest.h>

#include "model/GrowArray.h"

TEST(GrowArray, AppendingItsOwnElementSurvivesTheMove) {
  GrowArray<int32_t> a;
  ASSERT_TRUE(a.Append(41));
  // Many of these reallocate while the argument still points into the old buffer.
  for (int32_t i = 0; i < 40; ++i) {
    ASSERT_TRUE(a.Append(a[0]));
    ASSERT_TRUE(a.Insert(0, a[a.Count() - 1]));
  }
  for (int32_t v : a) EXPECT_EQ(v, 41);
}

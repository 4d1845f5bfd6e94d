#include <gtest/gtest.h>

#include "model/GrowArray.h"

TEST(GrowArray, GrowsByStepOrDoublingAndMovesElements) {
  GrowArray<int32_t> stepped(3);
  for (int32_t i = 0; i < 4; ++i) ASSERT_TRUE(stepped.Append(i));
  EXPECT_EQ(stepped.Capacity(), 6);  // 0 + 3, then 3 + 3
  ASSERT_TRUE(stepped.Reserve(11));
  EXPECT_EQ(stepped.Capacity(), 11);  // the step is not enough: exactly n

  GrowArray<int32_t> doubling;
  for (int32_t i = 0; i < 5; ++i) ASSERT_TRUE(doubling.Append(i * 10));
  EXPECT_EQ(doubling.Capacity(), 8);
  doubling.RemoveAt(1);
  EXPECT_EQ(doubling.Count(), 4);
  EXPECT_EQ(doubling[1], 20);
  EXPECT_TRUE(doubling.Insert(0, 7));
  EXPECT_EQ(doubling[0], 7);
  EXPECT_EQ(doubling.IndexOf(40), 4);
  EXPECT_FALSE(doubling.Insert(9, 1));
}

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

#include "compositing.h"

#include <gtest/gtest.h>

namespace {

TEST(Blend, WorkedValues) {
  EXPECT_EQ(blend_channel(100, 200, 64), 125);
  EXPECT_EQ(blend_channel(0, 255, 128), 128);
  EXPECT_EQ(blend_channel(255, 0, 128), 127);
  EXPECT_EQ(blend_channel(0, 0, 128), 1);      // black over black is not black
  EXPECT_EQ(blend_channel(255, 255, 1), 254);  // white over white is not white
  EXPECT_EQ(blend_channel(37, 200, 0), 37);
  EXPECT_EQ(blend_channel(37, 200, 255), 200);
}

TEST(Blend, MatchesTheFlooredSumForEveryInput) {
  for (int a = 1; a <= 254; ++a)
    for (int b = 0; b < 256; ++b)
      for (int s = 0; s < 256; ++s)
        ASSERT_EQ(blend_channel(b, s, a), b * (255 - a) / 256 + s * a / 256 + 1) << b << " " << s << " " << a;
}

TEST(OpacityScale, OneThirdForThirtyThreePercent) {
  EXPECT_EQ(scale_opacity(255, 33), 85);
  EXPECT_EQ(scale_opacity(3, 33), 1);
  EXPECT_EQ(scale_opacity(255, 34), 86);
  EXPECT_EQ(scale_opacity(255, 32), 81);
  EXPECT_EQ(scale_opacity(255, 50), 127);
  EXPECT_EQ(scale_opacity(1, 50), 0);
  EXPECT_EQ(scale_opacity(255, 99), 252);
  EXPECT_EQ(scale_opacity(200, 0), 0);
  EXPECT_EQ(scale_opacity(200, 100), 200);
}

TEST(Fit, LastColumnMayMeetTheEdge) {
  EXPECT_TRUE(sprite_fits(0, 10, 10));
  EXPECT_FALSE(sprite_fits(1, 10, 10));
  EXPECT_TRUE(sprite_fits(10, 0, 10));
  EXPECT_FALSE(sprite_fits(11, 0, 10));
  EXPECT_FALSE(sprite_fits(INT32_MAX, INT32_MAX, INT32_MAX));  // no wrap-around
  EXPECT_FALSE(sprite_fits(0, 1, -5));
}

}  // namespace

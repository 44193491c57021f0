// The rounding variants: one result inside 32 bits, and each variant's own
// answer for NaN and for values beyond 32 bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "drovix_graph/raster/Rounding.h"

namespace drovix {
namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(RoundingTest, AllVariantsRoundHalvesToEvenInside32Bits) {
  const struct {
    long double v;
    int32_t want;
  } cases[] = {
      {0.5L, 0},
      {1.5L, 2},
      {2.5L, 2},
      {-0.5L, 0},
      {-1.5L, -2},
      {-2.5L, -2},
      {-3.5L, -4},
      {126.5L, 126},
      {127.5L, 128},
      {0.4999999L, 0},
      {-7.25L, -7},
      {-7.75L, -8},
      {0x1p30L - 0.5L, 1 << 30},
      {0x1p30L + 0.5L, 1 << 30},  // the first value past the pixel variant's shortcut
      {2147483646.5L, 2147483646},
      {-2147483647.5L, kMin},
  };
  for (const auto& c : cases) {
    const double shown = static_cast<double>(c.v);
    EXPECT_EQ(RoundHalfEvenToInt(c.v), c.want) << shown;
    EXPECT_EQ(RoundMeasure(c.v), c.want) << shown;
    EXPECT_EQ(RoundUnchecked(c.v), c.want) << shown;
    EXPECT_EQ(RoundUncheckedShift(c.v), c.want) << shown;
  }
  for (int i = -300000; i <= 300000; ++i) {
    const long double v = i / 64.0L;
    const int32_t want = static_cast<int32_t>(std::nearbyint(v));
    ASSERT_EQ(RoundHalfEvenToInt(v), want) << i;
    ASSERT_EQ(RoundMeasure(v), want) << i;
    ASSERT_EQ(RoundUnchecked(v), want) << i;
    ASSERT_EQ(RoundUncheckedShift(v), want) << i;
  }
}

TEST(RoundingTest, NanAndOutOfRangeDependOnTheVariant) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  // Pixel arithmetic: NaN joins the low end.
  EXPECT_EQ(RoundHalfEvenToInt(nan), kMin);
  EXPECT_EQ(RoundHalfEvenToInt(2147483647.5L), kMax);
  EXPECT_EQ(RoundHalfEvenToInt(-2147483648.5L), kMin);
  EXPECT_EQ(RoundHalfEvenToInt(1e30L), kMax);
  EXPECT_EQ(RoundHalfEvenToInt(-1e30L), kMin);
  // Typesetting measures: NaN is 0.
  EXPECT_EQ(RoundMeasure(nan), 0);
  EXPECT_EQ(RoundMeasure(2147483647.5L), kMax);
  EXPECT_EQ(RoundMeasure(-2147483648.5L), kMin);
  EXPECT_EQ(RoundMeasure(1e30L), kMax);
  EXPECT_EQ(RoundMeasure(-1e30L), kMin);
  // No range test: the 64-bit result cut to 32 bits.
  EXPECT_EQ(RoundUnchecked(0x1p32L + 5), 5);
  EXPECT_EQ(RoundUnchecked(2147483648.0L), kMin);
}

}  // namespace
}  // namespace drovix

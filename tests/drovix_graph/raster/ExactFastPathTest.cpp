// The double-precision fast paths against the kept extended-precision
// references, on random input and on the inputs that sit on rounding
// boundaries: whenever a fast path answers, its answer is the reference's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "drovix_graph/raster/DeformPosition.h"
#include "drovix_graph/raster/GrainBlend.h"
#include "drovix_graph/raster/GreyLevel.h"
#include "drovix_graph/raster/ResampleKernel.h"
#include "drovix_graph/raster/SmoothSample.h"
#include "drovix_graph/raster/StableRounding.h"

namespace drovix {
namespace {

// A fraction as the callers make them: the part of a position after its
// whole pixels, sometimes exactly 0 or one of the small binary fractions.
float RandomFraction(std::mt19937& rng) {
  switch (rng() % 8) {
    case 0:
      return 0.0f;
    case 1:
      return static_cast<float>(rng() % 8) / 8.0f;
    case 2: {  // a position of a large page
      const float p = static_cast<float>(rng() % 4000000) / 997.0f;
      return p - static_cast<float>(static_cast<int32_t>(p));
    }
    default:
      return static_cast<float>(rng() % 16777216) / 16777216.0f;
  }
}

int32_t RandomValue(std::mt19937& rng) {
  switch (rng() % 6) {
    case 0:
      return static_cast<int32_t>(rng() % 2) * 255;
    case 1:  // working layers beyond 0..255
      return static_cast<int32_t>(rng() % 2000001) - 1000000;
    case 2:
      return static_cast<int32_t>(rng()) / 2;
    default:
      return static_cast<int32_t>(rng() % 256);
  }
}

TEST(ExactFastPath, SmoothSampleEqualsTheReference) {
  std::mt19937 rng(14);
  int64_t fast = 0;
  for (int i = 0; i < 200000; ++i) {
    const float fr = RandomFraction(rng), fc = RandomFraction(rng);
    const int32_t a = RandomValue(rng), b = RandomValue(rng), c = RandomValue(rng), d = RandomValue(rng);
    int32_t v;
    if (SmoothSampleFast(fr, fc, a, b, c, d, v)) {
      ++fast;
      ASSERT_EQ(v, SmoothSampleReference(fr, fc, a, b, c, d))
          << "fr " << fr << " fc " << fc << " values " << a << " " << b << " " << c << " " << d;
    }
    ASSERT_EQ(SmoothSample(fr, fc, a, b, c, d), SmoothSampleReference(fr, fc, a, b, c, d));
  }
  // The fast path is the common one (values of 2^28 and more, an eighth of
  // the random ones, always take the reference).
  EXPECT_GT(fast, 100000);
}

TEST(ExactFastPath, SmoothSampleQuickEqualsTheReference) {
  // Page values (0 .. 4096, often near one another or at the ends), and
  // fractions from below zero (a position just above the page) to one.
  std::mt19937 rng(4096);
  int64_t quick = 0;
  for (int i = 0; i < 300000; ++i) {
    const float fr = (rng() % 4 == 0 ? -1.0f : 1.0f) * RandomFraction(rng), fc = RandomFraction(rng);
    const int32_t base = static_cast<int32_t>(rng() % 4097), spread = static_cast<int32_t>(rng() % 3) * 2 + 1;
    int32_t v[4];
    for (int32_t& x : v)
      x = rng() % 3 == 0 ? static_cast<int32_t>(rng() % 2) * 4096
                         : std::clamp(base + static_cast<int32_t>(rng() % spread) - spread / 2, 0, 4096);
    int32_t out;
    if (SmoothSampleQuick(fr, fc, v[0], v[1], v[2], v[3], out)) {
      ++quick;
      ASSERT_EQ(out, SmoothSampleReference(fr, fc, v[0], v[1], v[2], v[3]))
          << "fr " << fr << " fc " << fc << " values " << v[0] << " " << v[1] << " " << v[2] << " " << v[3];
    }
  }
  EXPECT_GT(quick, 250000);
  int32_t out;
  EXPECT_FALSE(SmoothSampleQuick(0.0f, 0.5f, 0, 1, 1, 0, out));  // exactly a half: the reference decides
  EXPECT_FALSE(SmoothSampleQuick(0.0f, 0.5f, -1, 0, 0, -1, out));
  EXPECT_FALSE(SmoothSampleQuick(0.0f, 0.5f, 4096, 4097, 4097, 4096, out));
}

TEST(ExactFastPath, SmoothSampleOnHalves) {
  // Two equal weights between 0 and 1 (or 2 and 3) give exactly one half.
  for (const auto& [a, b] : {std::pair{0, 1}, {2, 3}, {254, 255}, {-1, 0}}) {
    EXPECT_EQ(SmoothSample(0.0f, 0.5f, a, b, b, a), SmoothSampleReference(0.0f, 0.5f, a, b, b, a));
    EXPECT_EQ(SmoothSample(0.5f, 0.5f, a, b, a, b), SmoothSampleReference(0.5f, 0.5f, a, b, a, b));
  }
}

TEST(ExactFastPath, ResampleEqualsTheReference) {
  std::mt19937 rng(41);
  int64_t fast = 0;
  for (int i = 0; i < 200000; ++i) {
    // Fractions as Resize makes them: j * (source / target) in extended
    // precision, less its whole part.
    const int32_t source = 1 + static_cast<int32_t>(rng() % 4100),
                  target = 1 + static_cast<int32_t>(rng() % 4100);
    const long double step = static_cast<long double>(source) / target;
    const long double fy = (rng() % 4100) * step, fx = (rng() % 4100) * step;
    const long double ty = fy - static_cast<int32_t>(fy), tx = fx - static_cast<int32_t>(fx);
    const int32_t v00 = RandomValue(rng), v01 = RandomValue(rng), v10 = RandomValue(rng),
                  v11 = RandomValue(rng);
    int32_t v;
    if (ResampleFast(static_cast<double>(ty), static_cast<double>(tx), v00, v01, v10, v11, v)) {
      ++fast;
      ASSERT_EQ(v, ResampleReference(ty, tx, v00, v01, v10, v11))
          << "ty " << static_cast<double>(ty) << " tx " << static_cast<double>(tx) << " values " << v00 << " "
          << v01 << " " << v10 << " " << v11;
    }
  }
  EXPECT_GT(fast, 190000);
}

TEST(ExactFastPath, ResampleOnHalves) {
  // Halfway between two columns the weights are equal: 0 and 1 average to
  // one half exactly, which must round to the even 0, as the reference does.
  int32_t v = -1;
  EXPECT_FALSE(ResampleFast(0.0, 0.5, 0, 1, 0, 1, v));
  EXPECT_EQ(ResampleReference(0.0L, 0.5L, 0, 1, 0, 1), 0);
  EXPECT_EQ(ResampleReference(0.0L, 0.5L, 1, 2, 1, 2), 2);
}

TEST(ExactFastPath, StableRoundingIntervals) {
  int32_t r;
  float f;
  EXPECT_TRUE(StableRound(2.4, 1e-9, r));
  EXPECT_EQ(r, 2);
  EXPECT_TRUE(StableRound(-2.6, 1e-9, r));
  EXPECT_EQ(r, -3);
  EXPECT_FALSE(StableRound(2.5, 1e-9, r));
  EXPECT_FALSE(StableRound(2.5 + 1e-12, 1e-9, r));
  EXPECT_FALSE(StableRound(3e9, 1e-9, r));
  EXPECT_TRUE(StableFloat(0.1, 1e-17, f));
  EXPECT_EQ(f, 0.1f);
  // Halfway between 1 and the next float.
  EXPECT_FALSE(StableFloat(1.0 + 0x1p-24, 1e-17, f));
  EXPECT_FALSE(StableFloat(1e-40, 0, f));
}

TEST(ExactFastPath, DeformPositionEqualsTheReference) {
  std::mt19937 rng(7);
  int64_t fast = 0;
  for (int i = 0; i < 200000; ++i) {
    // Coefficients as the deformation makes them from corner marks given as
    // Singles: a start on the page and a span across it.
    const int32_t side = 2 + static_cast<int32_t>(rng() % 4100);
    const long double start = static_cast<long double>(static_cast<float>((rng() % 8200000) / 1000.0)) -
                              2.5L +
                              (rng() % side) * (static_cast<long double>(rng() % 40) - 20) / (side - 1);
    const long double span = static_cast<long double>(rng() % 4100000) / 1000.0L - (rng() % 2) * 30;
    const int32_t j = static_cast<int32_t>(rng() % static_cast<uint32_t>(side));
    float v;
    if (PositionFast(static_cast<double>(start), static_cast<double>(span), j, side, v)) {
      ++fast;
      ASSERT_EQ(v, PositionReference(start, span, j, side))
          << static_cast<double>(start) << " " << static_cast<double>(span) << " " << j;
    }
  }
  EXPECT_GT(fast, 198000);
  // A position on a Single's rounding boundary is left to the reference.
  float v;
  EXPECT_FALSE(PositionFast(1.0 + 0x1p-24, 0, 0, 1, v));
}

TEST(ExactFastPath, GrainBlendEqualsTheReference) {
  std::mt19937 rng(5);
  for (int i = 0; i < 200000; ++i) {
    const int32_t v = RandomValue(rng);
    const int64_t mean = i % 3 == 0 ? RandomValue(rng) : static_cast<int64_t>(rng() % 256);
    const int32_t edge = static_cast<int32_t>(rng() % 256);
    ASSERT_EQ(GrainBlend(v, mean, edge), GrainBlendReference(v, mean, edge))
        << v << " " << mean << " " << edge;
  }
  for (int32_t edge = 0; edge < 256; ++edge)
    for (int32_t v = 0; v < 256; v += 9)
      for (int32_t mean = 0; mean < 256; mean += 7)
        ASSERT_EQ(GrainBlend(v, mean, edge), GrainBlendReference(v, mean, edge))
            << v << " " << mean << " " << edge;
}

TEST(ExactFastPath, ColourPageGreyEqualsTheReference) {
  // Every grey of planes in 0..255 on a coarse grid, halves included, and
  // random working values beyond.
  for (int32_t b = 0; b < 256; b += 7)
    for (int32_t r = 0; r < 256; ++r)
      for (int32_t g = 0; g < 256; g += 11)
        ASSERT_EQ(ColourPageGrey(b, r, g), ColourPageGreyReference(b, r, g));
  std::mt19937 rng(3);
  for (int i = 0; i < 100000; ++i) {
    const int32_t b = RandomValue(rng) / 4, r = RandomValue(rng) / 4, g = RandomValue(rng) / 4;
    ASSERT_EQ(ColourPageGrey(b, r, g), ColourPageGreyReference(b, r, g)) << b << " " << r << " " << g;
  }
}

}  // namespace
}  // namespace drovix

// The distance field around a region against the plain window-by-window
// offers: the same values in every pixel, the same box, on shaped and random
// regions, soft and hard rims, weights below 0, fields grown in steps and
// windows from nothing to wider than the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "distance_field_reference.h"
#include "driver/console/Interrupt.h"
#include "drovix_graph/scan/DistanceField.h"

namespace drovix {
namespace {

// A scan holding only a FillMask of h x w, everything outside.
void Blank(TDrovixMangaScan& s, int32_t h, int32_t w) {
  s.SetSize(h, w);
  s.FillMask = std::make_unique<TDrovixGraph>();
  s.FillMask->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) s.FillMask->Pixel(y, x) = kFillOutside;
  s.MinY = h - 1;
  s.MaxY = 0;
  s.MinX = w - 1;
  s.MaxX = 0;
  s.FillGradient = 0;
}

void Put(TDrovixMangaScan& s, int32_t y, int32_t x, int32_t weight) {
  s.FillMask->Pixel(y, x) = weight;
  s.MinY = std::min(s.MinY, y);
  s.MaxY = std::max(s.MaxY, y);
  s.MinX = std::min(s.MinX, x);
  s.MaxX = std::max(s.MaxX, x);
}

uint32_t Next(uint32_t& seed) { return (seed = seed * 1103515245u + 12345u) >> 8; }

// Extends a copy of s with the reference and s itself through each radius
// in turn, and compares the masks, boxes and radii after every step.
void ExpectSameField(const TDrovixMangaScan& start, const std::vector<int32_t>& radii,
                     const std::string& what) {
  TDrovixMangaScan fast, plain;
  for (TDrovixMangaScan* s : {&fast, &plain}) {
    Blank(*s, start.Height(), start.Width());
    for (int32_t y = 0; y < start.Height(); ++y)
      for (int32_t x = 0; x < start.Width(); ++x) s->FillMask->Pixel(y, x) = start.FillMask->Pixel(y, x);
    s->MinY = start.MinY;
    s->MaxY = start.MaxY;
    s->MinX = start.MinX;
    s->MaxX = start.MaxX;
    s->FillGradient = start.FillGradient;
  }
  for (const int32_t r : radii) {
    ExtendDistanceField(fast, r);
    distance_reference::ReferenceExtendDistanceField(plain, r);
    ASSERT_EQ(fast.FillGradient, plain.FillGradient) << what << ", r " << r;
    ASSERT_EQ(fast.MinY, plain.MinY) << what << ", r " << r;
    ASSERT_EQ(fast.MaxY, plain.MaxY) << what << ", r " << r;
    ASSERT_EQ(fast.MinX, plain.MinX) << what << ", r " << r;
    ASSERT_EQ(fast.MaxX, plain.MaxX) << what << ", r " << r;
    for (int32_t y = 0; y < start.Height(); ++y)
      for (int32_t x = 0; x < start.Width(); ++x)
        ASSERT_EQ(fast.FillMask->Pixel(y, x), plain.FillMask->Pixel(y, x))
            << what << ", r " << r << " at " << y << "," << x;
  }
}

// A disc of radius 6 with a soft rim: weight 0 inside, rising by `step` per
// pixel over the outer `rim` pixels (hard when step is 0 or more than 99).
void SoftDisc(TDrovixMangaScan& s, int32_t cy, int32_t cx, int32_t step, int32_t rim) {
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x) {
      const double d = std::sqrt(static_cast<double>((y - cy) * (y - cy) + (x - cx) * (x - cx)));
      if (d > 6) continue;
      const double into = 6 - d;  // depth below the rim's outer edge
      Put(s, y, x, into >= rim ? 0 : std::min(99, static_cast<int32_t>(step * (rim - into))));
    }
}

TEST(DistanceField, MatchesThePlainOffersOnShapes) {
  static const struct {
    const char* what;
    int32_t h, w;
    int32_t shape;  // 0 pixel, 1 soft disc, 2 hard disc, 3 frame round a hole, 4 whole page, 5 strokes, 6
                    // steep rim
    std::vector<int32_t> radii;
  } cases[] = {
      {"one pixel, no window", 9, 9, 0, {0}},
      {"one pixel", 21, 17, 0, {1, 3, 8}},
      {"one pixel, window wider than the page", 12, 30, 0, {45}},
      {"soft disc", 30, 34, 1, {2, 5, 12}},
      {"soft disc, steep rim", 30, 34, 6, {4}},
      {"hard disc", 30, 34, 2, {3, 9}},
      {"frame round a hole", 28, 28, 3, {1, 4, 20}},
      {"whole page", 8, 11, 4, {2}},
      {"text strokes, ink weights", 24, 40, 5, {3, 7}},
  };
  for (const auto& c : cases) {
    TDrovixMangaScan s;
    Blank(s, c.h, c.w);
    uint32_t seed = 7;
    switch (c.shape) {
      case 0:
        Put(s, c.h / 2, c.w / 3, 40);
        break;
      case 1:
        SoftDisc(s, 14, 16, 30, 3);
        break;
      case 6:
        SoftDisc(s, 14, 16, 99, 1);
        break;
      case 2:
        SoftDisc(s, 13, 20, 0, 1);
        break;
      case 3:
        for (int32_t y = 3; y < 25; ++y)
          for (int32_t x = 5; x < 24; ++x)
            if (y < 7 || y > 20 || x < 9 || x > 19) Put(s, y, x, (y + x) % 3 == 0 ? 70 : 5);
        break;
      case 4:
        for (int32_t y = 0; y < c.h; ++y)
          for (int32_t x = 0; x < c.w; ++x) Put(s, y, x, static_cast<int32_t>(Next(seed) % 100));
        s.FillMask->Pixel(3, 4) = kFillOutside;  // one hole
        break;
      case 5:
        for (int32_t y = 4; y < 20; ++y)
          for (int32_t x = 3; x < 37; ++x)
            if ((x / 3) % 3 == 0 || y % 7 == 0) Put(s, y, x, static_cast<int32_t>(Next(seed) % 99));
        break;
    }
    ExpectSameField(s, c.radii, c.what);
    if (HasFatalFailure()) return;
  }
}

// Weights below 0 (markup stronger than the sound's level) take pixels next
// to them into the region while the offers go on; the order of the offers
// matters then, and the field must still come out the same.
TEST(DistanceField, MatchesThePlainOffersWithWeightsBelowZero) {
  TDrovixMangaScan s;
  Blank(s, 26, 30);
  SoftDisc(s, 12, 14, 40, 2);
  Put(s, 12, 14, -99);
  Put(s, 9, 12, -250);
  Put(s, 8, 19, -60);
  ExpectSameField(s, {1, 4, 9}, "weights below 0");
}

// A field already computed to a smaller radius, or set by hand, and a box
// wider than the region.
TEST(DistanceField, MatchesThePlainOffersOnAFieldGrownInSteps) {
  TDrovixMangaScan s;
  Blank(s, 32, 32);
  SoftDisc(s, 15, 15, 25, 4);
  // Values left by an earlier field: one beyond every offer, one below them.
  s.FillMask->Pixel(0, 0) = 150;
  s.FillMask->Pixel(15, 23) = 101;
  s.MinY = 2;
  s.MaxX = 29;
  ExpectSameField(s, {0, 2, 2, 1, 6, 11}, "grown in steps");
  TDrovixMangaScan empty;
  Blank(empty, 10, 10);
  ExpectSameField(empty, {5}, "no region");
}

TEST(DistanceField, MatchesThePlainOffersOnRandomRegions) {
  uint32_t seed = 2024;
  for (int32_t trial = 0; trial < 160; ++trial) {
    const int32_t h = 1 + static_cast<int32_t>(Next(seed) % 48),
                  w = 1 + static_cast<int32_t>(Next(seed) % 48);
    TDrovixMangaScan s;
    Blank(s, h, w);
    // Blobs of random size and weight spread, some pixels sprinkled about.
    const int32_t blobs = 1 + static_cast<int32_t>(Next(seed) % 5);
    const int32_t spread = 1 + static_cast<int32_t>(Next(seed) % 100);
    const bool negative = trial % 4 == 3;
    for (int32_t b = 0; b < blobs; ++b) {
      const int32_t cy = static_cast<int32_t>(Next(seed) % h), cx = static_cast<int32_t>(Next(seed) % w);
      const int32_t rr = static_cast<int32_t>(Next(seed) % 9);
      for (int32_t y = std::max(0, cy - rr); y <= std::min(h - 1, cy + rr); ++y)
        for (int32_t x = std::max(0, cx - rr); x <= std::min(w - 1, cx + rr); ++x)
          if ((y - cy) * (y - cy) + (x - cx) * (x - cx) <= rr * rr)
            Put(s, y, x,
                negative && b == 0
                    ? -static_cast<int32_t>(Next(seed) % 250)
                    : static_cast<int32_t>(Next(seed) % spread) + (100 - spread) * (Next(seed) % 2));
    }
    for (int32_t k = static_cast<int32_t>(Next(seed) % 6); k > 0; --k)
      Put(s, static_cast<int32_t>(Next(seed) % h), static_cast<int32_t>(Next(seed) % w),
          negative ? -static_cast<int32_t>(Next(seed) % 300) : static_cast<int32_t>(Next(seed) % 100));
    const int32_t r1 = static_cast<int32_t>(Next(seed) % 12), r2 = r1 + static_cast<int32_t>(Next(seed) % 50);
    ExpectSameField(s, {r1, r2}, "trial " + std::to_string(trial));
    if (HasFatalFailure()) return;
  }
}

// The inner depths after a field extension, against the ring search, on
// regions deep enough for the whole-box path (rings 15 and beyond) and
// shallow ones, soft and hard rims, holes and a box cut by the page edge.
void ExpectSameDepths(TDrovixMangaScan& s, int32_t r, const std::string& what) {
  ExtendDistanceField(s, r);
  TDrovixMangaScan plain;
  Blank(plain, s.Height(), s.Width());
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x) plain.FillMask->Pixel(y, x) = s.FillMask->Pixel(y, x);
  plain.MinY = s.MinY;
  plain.MaxY = s.MaxY;
  plain.MinX = s.MinX;
  plain.MaxX = s.MaxX;
  ComputeInnerDistances(s);
  distance_reference::ReferenceComputeInnerDistances(plain);
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x)
      ASSERT_EQ(s.FillMask->Pixel(y, x), plain.FillMask->Pixel(y, x)) << what << " at " << y << "," << x;
}

TEST(DistanceField, InnerDepthsMatchTheRingSearch) {
  {
    // A disc of radius 40 with a soft rim: depths up to 40.
    TDrovixMangaScan s;
    Blank(s, 90, 96);
    for (int32_t y = 0; y < 90; ++y)
      for (int32_t x = 0; x < 96; ++x) {
        const double d = std::sqrt(static_cast<double>((y - 45) * (y - 45) + (x - 47) * (x - 47)));
        if (d <= 40) Put(s, y, x, d > 37 ? static_cast<int32_t>((d - 37) * 30) : 0);
      }
    ExpectSameDepths(s, 3, "soft disc");
    if (HasFatalFailure()) return;
  }
  {
    // A wide bar over the whole page height with a hole: the box ends at
    // the page, deep pixels find the band only sideways.
    TDrovixMangaScan s;
    Blank(s, 60, 120);
    for (int32_t y = 0; y < 60; ++y)
      for (int32_t x = 10; x < 110; ++x)
        if (!(y > 20 && y < 26 && x > 50 && x < 58)) Put(s, y, x, (x * 7 + y * 3) % 5 == 0 ? 60 : 0);
    ExpectSameDepths(s, 2, "bar with a hole");
    if (HasFatalFailure()) return;
  }
  uint32_t seed = 99;
  for (int32_t trial = 0; trial < 40; ++trial) {
    const int32_t h = 1 + static_cast<int32_t>(Next(seed) % 70),
                  w = 1 + static_cast<int32_t>(Next(seed) % 70);
    TDrovixMangaScan s;
    Blank(s, h, w);
    for (int32_t b = 1 + static_cast<int32_t>(Next(seed) % 3); b > 0; --b) {
      const int32_t cy = static_cast<int32_t>(Next(seed) % h), cx = static_cast<int32_t>(Next(seed) % w);
      const int32_t rr = static_cast<int32_t>(Next(seed) % 30);
      for (int32_t y = std::max(0, cy - rr); y <= std::min(h - 1, cy + rr); ++y)
        for (int32_t x = std::max(0, cx - rr); x <= std::min(w - 1, cx + rr); ++x)
          if (std::abs(y - cy) + std::abs(x - cx) <= rr + rr / 2 && Next(seed) % 50 != 0)
            Put(s, y, x, static_cast<int32_t>(Next(seed) % 100) * static_cast<int32_t>(Next(seed) % 2));
    }
    ExpectSameDepths(s, 1 + static_cast<int32_t>(Next(seed) % 4), "trial " + std::to_string(trial));
    if (HasFatalFailure()) return;
  }
}

// A stop request that arrives during a long field step ends it within a few
// hundred rows, on both ways of computing it and in the inner depths.
TEST(DistanceField, LongStepsStopOnRequest) {
  TInterruptGuard guard;
  std::raise(SIGINT);
  for (const int32_t weight : {0, -5}) {
    TDrovixMangaScan s;
    Blank(s, 600, 8);
    for (int32_t y = 0; y < 600; ++y) Put(s, y, 3, y == 300 ? weight : 50);
    EXPECT_THROW(ExtendDistanceField(s, 2), EInterrupted) << weight;
    EXPECT_EQ(s.FillGradient, 0);
    s.FillMask->Pixel(0, 0) = 150;
    EXPECT_THROW(ComputeInnerDistances(s), EInterrupted) << weight;
  }
  ClearInterruptForTesting();
}

}  // namespace
}  // namespace drovix

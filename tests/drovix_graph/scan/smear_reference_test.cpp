// The smear reads its planes through row pointers, tables and shortcuts for
// speed. This test holds it to a plain transcription of the rules that reads
// every plane through TDrovixGraph::SmoothPixel and computes every sine and
// weight where it is used: on a busy page with lettering, soft mask edges and
// marks touching every border, both must agree pixel for pixel.
#include "smear_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

namespace drovix::smear_test {
namespace {

constexpr int32_t kH = 48, kW = 64;

// Screen tone, a few lines of art and noise, from a fixed seed.
std::vector<int32_t> BusyPlane(uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<int32_t> v(kH * kW);
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      int32_t g = ((x / 3 + y / 3) % 2 == 0) ? 200 : 160;
      if (std::abs(x - 2 * y + 10) < 2 || y == 30 || (x - 40) * (x - 40) + (y - 12) * (y - 12) < 40) g = 30;
      v[y * kW + x] = std::clamp(g + static_cast<int32_t>(rng() % 21) - 10, 0, 255);
    }
  return v;
}

// Lettering strokes (fully transparent) with soft edges, a large block, and
// marks touching row 0, column 0, the last row and the last column.
std::vector<int32_t> Mask() {
  std::vector<int32_t> t(kH * kW, 0);
  auto stroke = [&](int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
    for (int32_t y = std::max(0, y0 - 1); y <= std::min(kH - 1, y1 + 1); ++y)
      for (int32_t x = std::max(0, x0 - 1); x <= std::min(kW - 1, x1 + 1); ++x) {
        const bool inside = y >= y0 && y <= y1 && x >= x0 && x <= x1;
        int32_t& cell = t[y * kW + x];
        cell = std::max(cell, inside ? 255 : 8 + (x * 7 + y * 3) % 25);
      }
  };
  stroke(5, 8, 12, 9);
  stroke(8, 8, 8, 14);
  stroke(20, 20, 21, 31);
  stroke(24, 40, 31, 49);  // a cleared patch
  stroke(0, 30, 2, 33);
  stroke(15, 0, 17, 2);
  stroke(45, 10, 47, 12);
  stroke(10, 61, 13, 63);
  stroke(0, 0, 1, 1);
  return t;
}

template <class Scan>
void Load(Scan& s, const std::vector<int32_t>& mask) {
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) SetTransparency(s, y, x, mask[y * kW + x]);
}

TPixelFn From(const std::vector<int32_t>& v) {
  return [v](int32_t y, int32_t x) { return v[y * kW + x]; };
}

TEST(SmearReference, GreyPageMatchesThePlainRulesForEveryMethod) {
  const auto page = BusyPlane(1);
  const auto mask = Mask();
  for (const TMethodCase& m : ReferenceMethods()) {
    for (int32_t power : {25, 1}) {
      SCOPED_TRACE(std::string(m.name) + " power " + std::to_string(power));
      auto fast = GreyScan(kH, kW, From(page));
      auto plain = GreyScan(kH, kW, From(page));
      Load(*fast, mask);
      Load(*plain, mask);
      fast->SmearMethod = plain->SmearMethod = m.method;
      fast->SmearPower = plain->SmearPower = m.method == SDRAFT ? 0 : power;
      SmearPrinting(*fast);
      testing::internal::CaptureStdout();
      ReferenceSmear(*plain, {plain.get()}, false);
      testing::internal::GetCapturedStdout();
      EXPECT_EQ(Pixels(*fast), Pixels(*plain));
    }
  }
}

TEST(SmearReference, ColourPageMatchesThePlainRulesForEveryMethod) {
  const auto red = BusyPlane(2), green = BusyPlane(3), blue = BusyPlane(4);
  const auto mask = Mask();
  for (const TMethodCase& m : ReferenceMethods()) {
    SCOPED_TRACE(m.name);
    auto fast = ColourScan(kH, kW, From(red), From(green), From(blue));
    auto plain = ColourScan(kH, kW, From(red), From(green), From(blue));
    Load(*fast, mask);
    Load(*plain, mask);
    fast->SmearMethod = plain->SmearMethod = m.method;
    fast->SmearPower = plain->SmearPower = m.method == SDRAFT ? 0 : 25;
    SmearPrinting(*fast);
    testing::internal::CaptureStdout();
    ReferenceSmear(*plain, {plain.get(), plain->GreenPlane.get(), plain->RedPlane.get()}, true);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(Pixels(*fast), Pixels(*plain));
    EXPECT_EQ(Pixels(*fast->GreenPlane), Pixels(*plain->GreenPlane));
    EXPECT_EQ(Pixels(*fast->RedPlane), Pixels(*plain->RedPlane));
  }
}

TEST(SmearReference, ScreenTonePageMatchesThePlainRules) {
  // Strong dots everywhere: the contour-limited rays end at their first
  // opaque point and the targets are refilled without the edge stop.
  const auto dots = [](int32_t light, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<int32_t> v(kH * kW);
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x)
        v[y * kW + x] = (x % 5 < 2 && y % 5 < 2 ? 10 : light) + static_cast<int32_t>(rng() % 9);
    return v;
  };
  const auto mask = Mask();
  for (TSmear method : {STRICKY, SPICKY, SSELECTIVE}) {
    SCOPED_TRACE(method);
    auto fast = GreyScan(kH, kW, From(dots(230, 5)));
    auto plain = GreyScan(kH, kW, From(dots(230, 5)));
    Load(*fast, mask);
    Load(*plain, mask);
    fast->SmearMethod = plain->SmearMethod = method;
    SmearPrinting(*fast);
    testing::internal::CaptureStdout();
    ReferenceSmear(*plain, {plain.get()}, false);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(Pixels(*fast), Pixels(*plain));

    auto fastC = ColourScan(kH, kW, From(dots(200, 6)), From(dots(215, 7)), From(dots(240, 8)));
    auto plainC = ColourScan(kH, kW, From(dots(200, 6)), From(dots(215, 7)), From(dots(240, 8)));
    Load(*fastC, mask);
    Load(*plainC, mask);
    fastC->SmearMethod = plainC->SmearMethod = method;
    SmearPrinting(*fastC);
    testing::internal::CaptureStdout();
    ReferenceSmear(*plainC, {plainC.get(), plainC->GreenPlane.get(), plainC->RedPlane.get()}, true);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(Pixels(*fastC), Pixels(*plainC));
    EXPECT_EQ(Pixels(*fastC->GreenPlane), Pixels(*plainC->GreenPlane));
    EXPECT_EQ(Pixels(*fastC->RedPlane), Pixels(*plainC->RedPlane));
  }
}

}  // namespace
}  // namespace drovix::smear_test

// The smear reads its planes through row pointers, tables and shortcuts for
// speed. This test holds it to a plain transcription of the rules that reads
// every plane through TDrovixGraph::SmoothPixel and computes every sine and
// weight where it is used: on a busy page with lettering, soft mask edges and
// marks touching every border, both must agree pixel for pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "smear_fixture.h"

namespace drovix::smear_test {
namespace {

struct TReferenceMethod {
  float rayFactor, step, reach, tail;
  bool cube;
  int32_t contourRadius;
  enum { kRow, kRays, kGuided, kLimited } kind;
};

const TReferenceMethod kReference[8] = {
    {1.0f, 0, 0, 0, true, 0, TReferenceMethod::kRow},
    {1.0f, 1.41f, 100, 4, true, 0, TReferenceMethod::kRays},
    {1.0f, 1.0f, 15, 0, false, 0, TReferenceMethod::kRays},
    {3.4951456f, 5.0f, 100, 15, true, 0, TReferenceMethod::kRays},
    {1.0f, 0.7f, 100, 10, true, 1, TReferenceMethod::kGuided},
    {3.4951456f, 0.45f, 50, 20, false, 2, TReferenceMethod::kLimited},
    {3.4951456f, 0.45f, 50, 10, false, 2, TReferenceMethod::kLimited},
    {3.4951456f, 0.45f, 30, 10, false, 1, TReferenceMethod::kLimited},
};

void ReferenceSmear(TDrovixMangaScan& s, const std::vector<TDrovixGraph*>& planes, bool colour) {
  const TSmear method = s.SmearPower == 0 ? SDRAFT : s.SmearMethod;
  const TReferenceMethod& m = kReference[method];
  const int32_t w = s.Width(), h = s.Height();
  const TDrovixGraph& t = *s.Transparency;
  const int32_t rays =
      static_cast<int32_t>(std::nearbyint(static_cast<long double>(m.rayFactor) * (s.SmearPower + 3)));
  const long double angleStep = 6.2832L / rays;
  long double mean = 0;
  if (m.contourRadius > 0) {
    s.ComputeContours(m.contourRadius);
    int64_t sum = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) sum += std::clamp(s.Contours->Pixel(y, x), 0, 128);
    mean = static_cast<long double>(sum) / (static_cast<long double>(w) * h);
  }
  auto isSource = [&](float py, float px) { return t.SmoothPixel(py, px) / 255.0L < 0.05L; };

  // Contour-limited targets whose rays met opaque points but collected
  // nothing: refilled after the page by the same rays without the edge stop.
  std::vector<std::pair<int32_t, int32_t>> retry;
  auto refill = [&](int32_t y, int32_t x, bool edgeStop) {
    long double W = 0;
    std::vector<long double> S(planes.size(), 0.0L);
    bool reached = false;
    if (m.kind == TReferenceMethod::kRow) {
      if (x > 0 && x < w - 1) {
        auto collect = [&](int32_t i) {
          if (t.Pixel(y, i) >= 12.75) return;
          const long double d = std::abs(x - i);
          const long double wt = 1.0L / (d * d * d);
          W += wt;
          for (size_t p = 0; p < planes.size(); ++p) S[p] += planes[p]->Pixel(y, i) * wt;
        };
        for (int32_t i = x - 1; i >= 0; --i) collect(i);
        for (int32_t i = x + 1; i < w; ++i) collect(i);
      }
    } else {
      long double G = std::max(w, h);
      const long double turn = m.kind == TReferenceMethod::kLimited ? 3 * angleStep : angleStep;
      const long double tail = m.kind == TReferenceMethod::kLimited ? m.tail / 3.0L : m.tail;
      for (long double a = 0; a < 2 * std::numbers::pi_v<long double>; a += turn) {
        long double F = std::max(w, h);
        long double rayW = 0;
        std::vector<long double> rayS(planes.size(), 0.0L);
        int32_t c0 = 0;
        bool hit = false;
        float px = x, py = y;
        long double r = m.step;
        while (0 < px && px < w && 0 < py && py < h && r < F + tail && r - G < m.reach) {
          px = static_cast<float>(x + r * std::sin(a));
          py = static_cast<float>(y + r * std::cos(a));
          if (isSource(py, px)) {
            reached = true;
            const int32_t c = s.Contours->SmoothPixel(py, px);
            if (m.kind == TReferenceMethod::kGuided) {
              if (!hit) {
                c0 = c;
                hit = true;
              } else if (c < c0 / 1.9L || c > c0 * 1.9L) {
                break;
              }
            }
            if (m.kind == TReferenceMethod::kLimited && edgeStop && c > 4 * mean) break;
            F = std::min(F, r);
            const long double wt = m.cube ? 1.0L / (r * r * r) : 1.0L / std::exp(r);
            rayW += wt;
            for (size_t p = 0; p < planes.size(); ++p) rayS[p] += planes[p]->SmoothPixel(py, px) * wt;
            if (m.kind == TReferenceMethod::kRays) {
              W += wt;
              for (size_t p = 0; p < planes.size(); ++p) S[p] += planes[p]->SmoothPixel(py, px) * wt;
            }
          }
          r += m.step;
        }
        if (m.kind == TReferenceMethod::kGuided) {
          if (r < F) F = r;
          W += rayW * (r - F) * (r - F);
          for (size_t p = 0; p < planes.size(); ++p) S[p] += rayS[p] * (r - F) * (r - F);
        }
        if (m.kind == TReferenceMethod::kLimited) {
          W += rayW;
          for (size_t p = 0; p < planes.size(); ++p) S[p] += rayS[p];
        }
        G = std::min(G, F);
      }
    }
    if (W != 0) {
      for (size_t p = 0; p < planes.size(); ++p)
        planes[p]->Pixel(y, x) = static_cast<int32_t>(std::nearbyint(S[p] / W));
    } else if (edgeStop) {
      const int32_t bit = 255 * ErrorPatternBit(y, x);
      planes[0]->Pixel(y, x) = bit;
      if (colour) {
        planes[1]->Pixel(y, x) = 0;
        planes[2]->Pixel(y, x) = 255 - bit;
      }
      if (m.kind == TReferenceMethod::kLimited && reached) retry.emplace_back(y, x);
    }
  };
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      if (t.Pixel(y, x) > 20) refill(y, x, true);
  for (const auto& [y, x] : retry) refill(y, x, false);
}

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
  for (const TMethodCase& m : AllMethods()) {
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
  for (const TMethodCase& m : AllMethods()) {
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

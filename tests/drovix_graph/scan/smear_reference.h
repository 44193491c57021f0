// A plain transcription of the text-removal rules, the reference the smear
// is held to: every plane read through TDrovixGraph::SmoothPixel, every sine
// and weight computed where it is used, every sample of every ray visited.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

#include "smear_fixture.h"

namespace drovix::smear_test {

struct TReferenceMethod {
  float rayFactor, step, reach, tail;
  bool cube;
  int32_t contourRadius;
  enum { kRow, kRays, kGuided, kLimited } kind;
};

inline const TReferenceMethod kReference[8] = {
    {1.0f, 0, 0, 0, true, 0, TReferenceMethod::kRow},
    {1.0f, 1.41f, 100, 4, true, 0, TReferenceMethod::kRays},
    {1.0f, 1.0f, 15, 0, false, 0, TReferenceMethod::kRays},
    {3.4951456f, 5.0f, 100, 15, true, 0, TReferenceMethod::kRays},
    {1.0f, 0.7f, 100, 10, true, 1, TReferenceMethod::kGuided},
    {3.4951456f, 0.45f, 50, 20, false, 2, TReferenceMethod::kLimited},
    {3.4951456f, 0.45f, 50, 10, false, 2, TReferenceMethod::kLimited},
    {3.4951456f, 0.45f, 30, 10, false, 1, TReferenceMethod::kLimited},
};

inline void ReferenceSmear(TDrovixMangaScan& s, const std::vector<TDrovixGraph*>& planes, bool colour) {
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

}  // namespace drovix::smear_test

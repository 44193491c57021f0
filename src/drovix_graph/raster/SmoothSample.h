// The squared-weight bilinear sample that SmoothPixel reads: the
// extended-precision reference and its double and float fast paths.
#pragma once

#include <cmath>
#include <cstdint>

#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/raster/SmoothWeights.h"
#include "drovix_graph/raster/StableRounding.h"

namespace drovix {

// The sample of four neighbours a (r0, c0), b (r0, c0 + 1), c (r0 + 1,
// c0 + 1), d (r0 + 1, c0) at fractions fr, fc: squared bilinear weights
// rounded to Single, the weighted sum rounded to Single, divided by the sum
// of the weights in extended precision, rounded half to even.
inline int32_t SmoothSampleReference(float fr, float fc, int32_t a, int32_t b, int32_t c, int32_t d) {
  return RoundHalfEvenToInt(SmoothMean(SmoothWeights(fr, fc), a, b, c, d));
}

// The same in double; false when a rounding step could come out otherwise.
inline bool SmoothSampleFast(float fr, float fc, int32_t a, int32_t b, int32_t c, int32_t d, int32_t& out) {
  constexpr int32_t kExact = 1 << 28;  // int x Single products stay exact in double
  if (a >= kExact || a <= -kExact || b >= kExact || b <= -kExact || c >= kExact || c <= -kExact ||
      d >= kExact || d <= -kExact)
    return false;
  const double r = fr, q = fc;
  const double la = (1.0 - r) * (1.0 - q), lb = (1.0 - r) * q, lc = r * q, ld = r * (1.0 - q);
  const double sa = la * la, sb = lb * lb, sc = lc * lc, sd = ld * ld;
  float wa, wb, wc, wd;
  if (!StableFloat(sa, sa * kFastPathSlack, wa) || !StableFloat(sb, sb * kFastPathSlack, wb) ||
      !StableFloat(sc, sc * kFastPathSlack, wc) || !StableFloat(sd, sd * kFastPathSlack, wd))
    return false;
  const double pa = a * static_cast<double>(wa), pb = b * static_cast<double>(wb);
  const double pc = c * static_cast<double>(wc), pd = d * static_cast<double>(wd);
  const double s = pa + pb + pc + pd;
  const double magnitude = std::fabs(pa) + std::fabs(pb) + std::fabs(pc) + std::fabs(pd);
  float sum;
  if (!StableFloat(s, magnitude * kFastPathSlack, sum)) return false;
  const double total = static_cast<double>(wa) + wb + wc + wd;
  const double v = sum / total;
  return StableRound(v, std::fabs(v) * kFastPathSlack + 0x1p-60, out);
}

// The same in float for neighbours in 0 .. 4096 (every plane of a page but
// the working layers); false when the result could round otherwise. The
// float weights differ from the reference's by at most 8 units of 2^-24
// relative, which moves the mean by at most twice that of the range of the
// values (0.004), and the float sum and quotient add less than 0.002, so an
// estimate farther than 0.49 from the nearest integer rounds as the
// reference does.
inline bool SmoothSampleQuick(float fr, float fc, int32_t a, int32_t b, int32_t c, int32_t d, int32_t& out) {
  constexpr int32_t kRange = 4096;
  if (static_cast<uint32_t>(a) > kRange || static_cast<uint32_t>(b) > kRange ||
      static_cast<uint32_t>(c) > kRange || static_cast<uint32_t>(d) > kRange)
    return false;
  const float v = QuickSmoothMean(QuickSmoothWeights(fr, fc), a, b, c, d);
  constexpr float kShift = 0x1.8p23f;  // adding it rounds to a whole number, halves to even
  const float r = (v + kShift) - kShift;
  if (std::fabs(v - r) > 0.49f) return false;
  out = static_cast<int32_t>(r);
  return true;
}

inline int32_t SmoothSample(float fr, float fc, int32_t a, int32_t b, int32_t c, int32_t d) {
  // Four equal neighbours below 2^20 in magnitude give their own value: the
  // Single sum a x total is within 2^-24 of it relative, far less than a half.
  if (a == b && a == c && a == d && a > -(1 << 20) && a < (1 << 20)) return a;
  int32_t v;
  if (SmoothSampleQuick(fr, fc, a, b, c, d, v)) return v;
  if (SmoothSampleFast(fr, fc, a, b, c, d, v)) return v;
  return SmoothSampleReference(fr, fc, a, b, c, d);
}

}  // namespace drovix

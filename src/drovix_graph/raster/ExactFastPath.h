// Double-precision fast paths for arithmetic that the program defines in
// extended precision (long double) with Single (float) and half-to-even
// rounding steps. A fast path computes the same formula in double together
// with a bound on how far it can lie from the extended-precision value; when
// every rounding step of the interval around it lands on one result, that
// result is the extended-precision one. Otherwise (a value near a rounding
// boundary, which is rare) the caller runs the kept extended-precision
// reference. Both are exposed so that tests can compare them on random input.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "drovix_graph/raster/RoundHalfEven.h"

namespace drovix {

// Relative error allowed for a double result against the extended-precision
// one: a few dozen roundings of 2^-53 each, with a wide margin.
inline constexpr double kFastPathSlack = 0x1p-44;

// float(v) for every value within v +- err, or false when the interval
// holds a float rounding boundary (or leaves the normal float range).
inline bool StableFloat(double v, double err, float& out) {
  err += std::fabs(v) * 0x1p-50;  // never narrower than the double itself
  const float lo = static_cast<float>(v - err), hi = static_cast<float>(v + err);
  if (lo != hi) return false;
  if (lo != 0 && std::fabs(lo) < 0x1p-120f) return false;  // near the subnormal range
  if (lo == 0 && v != 0) return false;
  out = lo;
  return true;
}

// round (half to even) for every value within v +- err, or false when the
// interval holds a half (or leaves the int32 range).
inline bool StableRound(double v, double err, int32_t& out) {
  if (!(std::fabs(v) < 0x1p30)) return false;
  err += std::fabs(v) * 0x1p-50;  // never narrower than the double itself
  // floor(v) without a library call (the baseline instruction set has no
  // rounding instruction)
  double whole = static_cast<double>(static_cast<int64_t>(v));
  if (whole > v) whole -= 1;
  const double fraction = v - whole;  // exact
  if (std::fabs(fraction - 0.5) <= 2 * err) return false;
  out = static_cast<int32_t>(fraction < 0.5 ? whole : whole + 1);
  return true;
}

// ---- squared-weight bilinear sample (SmoothPixel) ------------------------

// The sample of four neighbours a (r0, c0), b (r0, c0 + 1), c (r0 + 1,
// c0 + 1), d (r0 + 1, c0) at fractions fr, fc: squared bilinear weights
// rounded to Single, the weighted sum rounded to Single, divided by the sum
// of the weights in extended precision, rounded half to even.
inline int32_t SmoothSampleReference(float fr, float fc, int32_t a, int32_t b, int32_t c, int32_t d) {
  const long double la = (1.0L - fr) * (1.0L - fc), lb = (1.0L - fr) * fc;
  const long double lc = static_cast<long double>(fr) * fc, ld = fr * (1.0L - fc);
  const float wa = static_cast<float>(la * la), wb = static_cast<float>(lb * lb);
  const float wc = static_cast<float>(lc * lc), wd = static_cast<float>(ld * ld);
  const float sum = static_cast<float>(static_cast<long double>(a) * wa + static_cast<long double>(b) * wb +
                                       static_cast<long double>(c) * wc + static_cast<long double>(d) * wd);
  const long double total = static_cast<long double>(wa) + wb + wc + wd;
  return RoundHalfEvenToInt(sum / total);
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
  if (static_cast<uint32_t>(a) > kRange || static_cast<uint32_t>(b) > kRange || static_cast<uint32_t>(c) > kRange ||
      static_cast<uint32_t>(d) > kRange)
    return false;
  const float gr = 1.0f - fr, gc = 1.0f - fc;
  float wa = gr * gc, wb = gr * fc, wc = fr * fc, wd = fr * gc;
  wa *= wa;
  wb *= wb;
  wc *= wc;
  wd *= wd;
  const float v = (static_cast<float>(a) * wa + static_cast<float>(b) * wb + static_cast<float>(c) * wc +
                   static_cast<float>(d) * wd) /
                  (wa + wb + wc + wd);
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

// ---- resampling kernel of Resize ----------------------------------------

// Output value of the resampling at fractions ty, tx over the neighbours
// v00 (y0, x0), v01 (y0, x1), v10 (y1, x0), v11 (y1, x1): squared bilinear
// weights, the weighted sum divided by the sum of the weights, all in
// extended precision, rounded half to even.
inline int32_t ResampleReference(long double ty, long double tx, int32_t v00, int32_t v01, int32_t v10,
                                 int32_t v11) {
  const long double a = (1 - ty) * (1 - tx), b = (1 - ty) * tx;
  const long double c = ty * (1 - tx), d = ty * tx;
  const long double wa = a * a, wb = b * b, wc = c * c, wd = d * d;
  const long double sum = v00 * wa + v01 * wb + v10 * wc + v11 * wd;
  return RoundHalfEvenToInt(sum / (wa + wb + wc + wd));
}

// The same in double from the fractions rounded to double; false when the
// result could lie on the other side of a half.
inline bool ResampleFast(double ty, double tx, int32_t v00, int32_t v01, int32_t v10, int32_t v11, int32_t& out) {
  const double a = (1 - ty) * (1 - tx), b = (1 - ty) * tx;
  const double c = ty * (1 - tx), d = ty * tx;
  const double wa = a * a, wb = b * b, wc = c * c, wd = d * d;
  const double sum = v00 * wa + v01 * wb + v10 * wc + v11 * wd;
  const double v = sum / (wa + wb + wc + wd);
  // The weights are off by a few units of 2^-53 relative (the fractions
  // included), which moves the mean by that much of the largest value.
  const auto magnitude = [](int32_t x) { return x < 0 ? -static_cast<int64_t>(x) : static_cast<int64_t>(x); };
  const int64_t largest = std::max(std::max(magnitude(v00), magnitude(v01)), std::max(magnitude(v10), magnitude(v11)));
  return StableRound(v, static_cast<double>(largest + 1) * kFastPathSlack, out);
}

}  // namespace drovix

namespace drovix {

// ---- positions of the deformation ---------------------------------------

// Single(start + j * span / n), all in extended precision.
inline float PositionReference(long double start, long double span, int32_t j, int32_t n) {
  return static_cast<float>(start + j * span / n);
}

// The same from start and span rounded to double; false when the Single
// could come out otherwise.
inline bool PositionFast(double start, double span, int32_t j, int32_t n, float& out) {
  const double step = j * span / n;
  return StableFloat(start + step, (std::fabs(start) + std::fabs(step) + 1) * kFastPathSlack, out);
}

// ---- blend of grain suppression ------------------------------------------

// round(v * e + mean * (1 - e)) with e = edge / 255, in extended precision.
inline int32_t GrainBlendReference(int32_t v, int64_t mean, int32_t edge) {
  const long double e = edge / 255.0L;
  return RoundHalfEvenToInt(v * e + mean * (1 - e));
}

// The same in integers: the integer nearest to (v * edge + mean * (255 -
// edge)) / 255. That quotient is never an exact half (255 is odd) and lies
// at least 1/510 from one, far beyond the rounding error of the
// extended-precision sum for any 32-bit v and mean.
// REQUIRES: 0 <= edge <= 255, |mean| < 2^31.
inline int32_t GrainBlend(int32_t v, int64_t mean, int32_t edge) {
  const int64_t twice = 2 * (static_cast<int64_t>(v) * edge + mean * (255 - edge)) + 255;
  int64_t q = twice / 510;
  if (twice % 510 < 0) --q;  // floor
  return static_cast<int32_t>(q);
}

}  // namespace drovix

// The squared-weight bilinear kernel of Resize: the extended-precision
// reference and its double fast path.
#pragma once

#include <algorithm>
#include <cstdint>

#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/raster/StableRounding.h"

namespace drovix {

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
inline bool ResampleFast(double ty, double tx, int32_t v00, int32_t v01, int32_t v10, int32_t v11,
                         int32_t& out) {
  const double a = (1 - ty) * (1 - tx), b = (1 - ty) * tx;
  const double c = ty * (1 - tx), d = ty * tx;
  const double wa = a * a, wb = b * b, wc = c * c, wd = d * d;
  const double sum = v00 * wa + v01 * wb + v10 * wc + v11 * wd;
  const double v = sum / (wa + wb + wc + wd);
  // The weights are off by a few units of 2^-53 relative (the fractions
  // included), which moves the mean by that much of the largest value.
  const auto magnitude = [](int32_t x) { return x < 0 ? -static_cast<int64_t>(x) : static_cast<int64_t>(x); };
  const int64_t largest =
      std::max(std::max(magnitude(v00), magnitude(v01)), std::max(magnitude(v10), magnitude(v11)));
  return StableRound(v, static_cast<double>(largest + 1) * kFastPathSlack, out);
}

}  // namespace drovix

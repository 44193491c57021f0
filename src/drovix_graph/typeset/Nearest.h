// The program's rounding for typesetting measures: to the nearest integer,
// halves to the even one, held in 32 bits.
#pragma once

#include <cmath>
#include <cstdint>

namespace drovix {

inline int32_t Nearest(long double v) {
  // Out-of-range values (absurd scales) saturate instead of overflowing.
  if (!(v > -2147483648.5L)) return v != v ? 0 : INT32_MIN;
  if (v >= 2147483647.5L) return INT32_MAX;
  // lrint rounds like nearbyint in the default rounding mode (it may raise
  // the inexact flag, which nothing reads) and converts without saving the
  // floating-point environment or switching the x87 control word: the
  // layout search rounds millions of times per balloon.
  return static_cast<int32_t>(std::lrint(v));
}

}  // namespace drovix

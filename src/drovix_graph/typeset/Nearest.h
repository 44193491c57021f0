// The program's rounding for typesetting measures: to the nearest integer,
// halves to the even one, held in 32 bits.
#pragma once

#include <cmath>
#include <cstdint>

namespace drovix {

inline int32_t Nearest(long double v) {
  const long double r = std::nearbyint(v);
  // Out-of-range values (absurd scales) saturate instead of overflowing.
  if (!(r > -2147483648.0L)) return r != r ? 0 : INT32_MIN;
  if (r > 2147483647.0L) return INT32_MAX;
  return static_cast<int32_t>(r);
}

}  // namespace drovix

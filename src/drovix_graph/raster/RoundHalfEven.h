// The program's "round": to the nearest integer, halves to the even one.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace drovix {

// Same result as std::nearbyint in the default rounding mode, without the
// library call, which saves and restores the floating-point environment each
// time and costs far more than the pixel arithmetic around it. Adding
// 1.5 * 2^63 leaves no fraction bits in the 64-bit mantissa of the x87
// extended format, so the hardware rounds (to nearest, ties to even) exactly
// once; the integer then sits in the low bits of the mantissa.
inline int32_t RoundHalfEvenToInt(long double v) {
  if constexpr (std::numeric_limits<long double>::digits == 64 && sizeof(long double) >= 10) {
    if (std::fabs(v) < 0x1p30L) {
      volatile long double shifted = v + 0x1.8p63L;  // kept in memory: no reassociation
      const long double s = shifted;
      uint64_t mantissa;
      std::memcpy(&mantissa, &s, sizeof mantissa);
      return static_cast<int32_t>(static_cast<uint32_t>(mantissa));
    }
  }
  const long double r = std::nearbyint(v);
  if (!(r > -0x1p31L)) return std::numeric_limits<int32_t>::min();  // also NaN
  if (r >= 0x1p31L) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

}  // namespace drovix

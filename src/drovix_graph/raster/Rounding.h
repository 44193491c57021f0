// The program's "round": to the nearest integer, halves to the even one, in
// the variants its arithmetic needs. They agree on every value that fits in
// 32 bits and differ in what they do with NaN and with values beyond 32 bits,
// and in how they reach the hardware rounding cheaply:
//
//   variant              used for                 NaN        beyond 32 bits
//   RoundHalfEvenToInt   pixel arithmetic         INT32_MIN  saturates
//   RoundMeasure         typesetting measures     0          saturates
//   RoundUnchecked       layer measures, distance 0 (*)      low 32 bits (*)
//                        tables (known small)
//   RoundUncheckedShift  smear reads (|v| < 2^31) undefined  undefined
//   RoundFloat           smear weights, in float  (|v| < 2^22, stays a float)
//
// (*) what llrintl gives on x86: the "integer indefinite" 0x8000000000000000
// for NaN and for values beyond 64 bits, cut to its low 32 bits.
//
// None of them calls nearbyint on the common path: the library call saves
// and restores the floating-point environment each time and costs far more
// than the pixel arithmetic around it. All assume the default rounding mode
// (to nearest, ties to even), which the program never changes.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace drovix {

// Pixel arithmetic. Adding 1.5 * 2^63 leaves no fraction bits in the 64-bit
// mantissa of the x87 extended format, so the hardware rounds exactly once;
// the integer then sits in the low bits of the mantissa. Values from 2^30 up
// (and NaN) take the saturating library path: below -2^31 and NaN give
// INT32_MIN, 2^31 and above INT32_MAX.
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

// Typesetting measures: saturates to INT32_MIN / INT32_MAX (absurd scales),
// NaN gives 0. lrint rounds like nearbyint in the default rounding mode (it
// may raise the inexact flag, which nothing reads) and converts without
// saving the floating-point environment or switching the x87 control word:
// the layout search rounds millions of times per balloon.
inline int32_t RoundMeasure(long double v) {
  if (!(v > -2147483648.5L)) return v != v ? 0 : std::numeric_limits<int32_t>::min();
  if (v >= 2147483647.5L) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::lrint(v));
}

// Values the caller knows to lie well inside 32 bits (layer thicknesses and
// blurs in hundredths, distances within a window): a single llrintl, no
// range test. Out of range the result is llrintl's cut to 32 bits.
inline int32_t RoundUnchecked(long double v) { return static_cast<int32_t>(std::llrintl(v)); }

// Values the caller knows to lie inside 32 bits, NaN excluded: adding and
// subtracting 1.5 * 2^63 leaves no bits below the units in an extended
// value, so the sum is rounded to an integer; exact for |v| < 2^62, the
// conversion then requires |v| < 2^31.
inline int32_t RoundUncheckedShift(long double v) {
  constexpr long double kShift = 0x1.8p63L;
  const long double r = (v + kShift) - kShift;
  return static_cast<int32_t>(static_cast<double>(r));
}

// round(v), halves to even, for |v| < 2^22, the same way in float.
inline float RoundFloat(float v) {
  constexpr float kShift = 0x1.8p23f;
  return (v + kShift) - kShift;
}

}  // namespace drovix

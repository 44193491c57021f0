// The tools of the double-precision fast paths. The program defines much of
// its arithmetic in extended precision (long double) with Single (float) and
// half-to-even rounding steps. A fast path computes the same formula in
// double together with a bound on how far it can lie from the
// extended-precision value; when every rounding step of the interval around
// it lands on one result, that result is the extended-precision one.
// Otherwise (a value near a rounding boundary, which is rare) the caller
// runs the kept extended-precision reference. Both are exposed so that tests
// can compare them on random input.
#pragma once

#include <cmath>
#include <cstdint>

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

}  // namespace drovix

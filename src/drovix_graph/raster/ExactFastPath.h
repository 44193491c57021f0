// The grey picture of a colour page: the extended-precision reference and
// the same in integers. (The other fast paths have headers of their own:
// StableRounding.h, SmoothSample.h, ResampleKernel.h, DeformPosition.h and
// GrainBlend.h.)
#pragma once

#include <cmath>
#include <cstdint>

namespace drovix {

// ---- grey picture of a colour page ----------------------------------------

// round(0.2 B + 0.3 R + 0.5 G) in extended precision.
inline int32_t ColourToGreyReference(int32_t blue, int32_t red, int32_t green) {
  const long double v = 0.2L * blue + 0.3L * red + 0.5L * green;
  return static_cast<int32_t>(std::nearbyint(v));
}

// The exact value is (2 B + 3 R + 5 G) / 10. Unless that ends in exactly one
// half, it lies at least 0.1 from every half, and the extended-precision sum
// rounds to its nearest integer; sums that end in one half round as the
// weights held in extended precision make them.
inline int32_t ColourToGrey(int32_t blue, int32_t red, int32_t green) {
  const int64_t tenfold = 2 * static_cast<int64_t>(blue) + 3 * static_cast<int64_t>(red) + 5 * static_cast<int64_t>(green);
  if (tenfold % 10 == 5 || tenfold % 10 == -5) return ColourToGreyReference(blue, red, green);
  int64_t q = (tenfold + 5) / 10;
  if ((tenfold + 5) % 10 < 0) --q;  // floor
  return static_cast<int32_t>(q);
}

}  // namespace drovix


// Colour to grey: 0.3 R + 0.5 G + 0.2 B, rounded half to even. The weights
// are held in extended precision, where 0.3 and 0.2 are not exact, so a sum
// whose exact value ends in one half lands a little above or below it as the
// order of its terms makes it; the program adds the terms in two orders:
//   ColourGrey      0.3 R + 0.5 G + 0.2 B: a texture's colour pixel, a colour
//                   number of a layer or balloon background on a grey page;
//   ColourPageGrey  0.2 B + 0.3 R + 0.5 G: the grey picture of a colour page
//                   (its grey copy for grain suppression, the markup preview).
#pragma once

#include <cmath>
#include <cstdint>

#include "drovix_graph/raster/Rounding.h"

namespace drovix {

inline int32_t ColourGrey(int32_t red, int32_t green, int32_t blue) {
  const long double grey = 0.3L * red + 0.5L * green + 0.2L * blue;
  return RoundHalfEvenToInt(grey);
}

// round(0.2 B + 0.3 R + 0.5 G) in extended precision.
inline int32_t ColourPageGreyReference(int32_t blue, int32_t red, int32_t green) {
  const long double v = 0.2L * blue + 0.3L * red + 0.5L * green;
  return static_cast<int32_t>(std::nearbyint(v));
}

// The exact value is (2 B + 3 R + 5 G) / 10. Unless that ends in exactly one
// half, it lies at least 0.1 from every half, and the extended-precision sum
// rounds to its nearest integer; sums that end in one half round as the
// weights held in extended precision make them.
inline int32_t ColourPageGrey(int32_t blue, int32_t red, int32_t green) {
  const int64_t tenfold =
      2 * static_cast<int64_t>(blue) + 3 * static_cast<int64_t>(red) + 5 * static_cast<int64_t>(green);
  if (tenfold % 10 == 5 || tenfold % 10 == -5) return ColourPageGreyReference(blue, red, green);
  int64_t q = (tenfold + 5) / 10;
  if ((tenfold + 5) % 10 < 0) --q;  // floor
  return static_cast<int32_t>(q);
}

}  // namespace drovix

// The blend of grain suppression: the extended-precision reference and the
// same in integers.
#pragma once

#include <cstdint>

#include "drovix_graph/raster/Rounding.h"

namespace drovix {

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

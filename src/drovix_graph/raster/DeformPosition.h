// The sample positions of the deformation: the extended-precision
// reference and its double fast path.
#pragma once

#include <cmath>
#include <cstdint>

#include "drovix_graph/raster/StableRounding.h"

namespace drovix {

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

}  // namespace drovix

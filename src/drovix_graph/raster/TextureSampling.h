// The smoothing shared by the texture samplers: squared bilinear weights over
// the four neighbours, which keeps magnified screen tone crisper than plain
// bilinear interpolation.
#pragma once

#include <cmath>
#include <cstdint>

#include "drovix_graph/raster/Rounding.h"

namespace drovix {

// sample(r, c) returns the texel at integer (tiled) coordinates.
template <class F>
int32_t SmoothTexel(float row, float column, F sample) {
  const int32_t r0 = static_cast<int32_t>(row);
  const int32_t c0 = static_cast<int32_t>(column);
  const float fr = row - static_cast<float>(r0);
  const float fc = column - static_cast<float>(c0);
  const int32_t a = sample(r0, c0), b = sample(r0, c0 + 1);
  const int32_t c = sample(r0 + 1, c0 + 1), d = sample(r0 + 1, c0);
  const long double la = (1.0L - fr) * (1.0L - fc), lb = (1.0L - fr) * fc;
  const long double lc = static_cast<long double>(fr) * fc, ld = fr * (1.0L - fc);
  const long double wa = la * la, wb = lb * lb, wc = lc * lc, wd = ld * ld;
  return RoundHalfEvenToInt((a * wa + b * wb + c * wc + d * wd) / (wa + wb + wc + wd));
}

}  // namespace drovix

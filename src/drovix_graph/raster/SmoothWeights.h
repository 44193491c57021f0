// The weights of the squared bilinear read (SmoothPixel) and the weighted
// mean they give, in the exact form and as a float estimate. Every reader
// of that rule takes its weights from here, so that all of them agree bit
// for bit.
#pragma once

#include <cstdint>

namespace drovix {

// The weights of the four neighbours a (r0, c0), b (r0, c0 + 1),
// c (r0 + 1, c0 + 1) and d (r0 + 1, c0) of a position whose fractions past
// (r0, c0) are fr and fc: the squares of the bilinear weights, worked out in
// extended precision and rounded to Single, and their sum in extended
// precision.
struct TSmoothWeights {
  float a, b, c, d;
  long double total;
};

inline TSmoothWeights SmoothWeights(float fr, float fc) {
  const long double la = (1.0L - fr) * (1.0L - fc), lb = (1.0L - fr) * fc;
  const long double lc = static_cast<long double>(fr) * fc, ld = fr * (1.0L - fc);
  TSmoothWeights w;
  w.a = static_cast<float>(la * la);
  w.b = static_cast<float>(lb * lb);
  w.c = static_cast<float>(lc * lc);
  w.d = static_cast<float>(ld * ld);
  w.total = static_cast<long double>(w.a) + w.b + w.c + w.d;
  return w;
}

// The read before its rounding: the weighted sum of the neighbours' values
// rounded to Single, divided by the sum of the weights in extended
// precision.
inline long double SmoothMean(const TSmoothWeights& w, int32_t a, int32_t b, int32_t c, int32_t d) {
  const float sum = static_cast<float>(static_cast<long double>(a) * w.a + static_cast<long double>(b) * w.b +
                                       static_cast<long double>(c) * w.c + static_cast<long double>(d) * w.d);
  return sum / w.total;
}

// The same weights in plain float arithmetic, for an estimate: each lies
// within 8 units of 2^-24 (relative) of the exact one.
struct TQuickSmoothWeights {
  float a, b, c, d, total;
};

inline TQuickSmoothWeights QuickSmoothWeights(float fr, float fc) {
  const float gr = 1.0f - fr, gc = 1.0f - fc;
  TQuickSmoothWeights w;
  w.a = gr * gc;
  w.a *= w.a;
  w.b = gr * fc;
  w.b *= w.b;
  w.c = fr * fc;
  w.c *= w.c;
  w.d = fr * gc;
  w.d *= w.d;
  w.total = w.a + w.b + w.c + w.d;
  return w;
}

// The weighted mean in float arithmetic: an estimate of SmoothMean.
inline float QuickSmoothMean(const TQuickSmoothWeights& w, int32_t a, int32_t b, int32_t c, int32_t d) {
  return (static_cast<float>(a) * w.a + static_cast<float>(b) * w.b + static_cast<float>(c) * w.c +
          static_cast<float>(d) * w.d) /
         w.total;
}

}  // namespace drovix

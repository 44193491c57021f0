// The row interpolation of the draft method: each target of a row is the
// mean of the row's opaque pixels weighted 1/d^3, estimated in double
// precision and worked out exactly only near a rounding boundary.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "drovix_graph/scan/smear/TSmearer.h"

namespace drovix {
namespace {

// Two doubles added and multiplied side by side (one SSE2 register), for the
// row interpolation estimate.
using TPair = double __attribute__((vector_size(16)));

inline TPair LoadPair(const double* a) {
  TPair v;
  std::memcpy(&v, a, sizeof v);
  return v;
}

// The row interpolation estimated in double precision with four
// independent partial sums, two at a time, which is several times faster
// than the exact sums in extended precision, whose order is fixed. Both lie within
// (max |v| + 1) x (width + 4) x 2^-50 of the true weighted mean, so when the
// estimate is farther than four times that from a rounding boundary both
// round alike and the estimate is written. Returns false (nothing written)
// when the exact sums must decide, or when no source was met.
template <size_t NP>
inline bool TSmearer<NP>::QuickRow(int32_t x, int32_t y) {
  if (x == 0 || x == width_ - 1) return false;
  if (y != preparedRow_) PrepareRow(y);
  const double* kernel = kernel_.data() + (width_ - 1 - x);  // kernel[i]: weight of column i
  const double* sources = rowSources_.data();
  std::array<const double*, NP> values;
  for (size_t p = 0; p < NP; ++p) values[p] = rowValues_[p].data();
  TPair w0{}, w1{};
  std::array<TPair, NP> s0{}, s1{};
  int32_t i = 0;
  for (; i + 4 <= width_; i += 4) {
    const TPair k0 = LoadPair(kernel + i), k1 = LoadPair(kernel + i + 2);
    w0 += LoadPair(sources + i) * k0;
    w1 += LoadPair(sources + i + 2) * k1;
    for (size_t p = 0; p < NP; ++p) {
      s0[p] += LoadPair(values[p] + i) * k0;
      s1[p] += LoadPair(values[p] + i + 2) * k1;
    }
  }
  std::array<double, 4> w{w0[0], w0[1], w1[0], w1[1]};
  std::array<std::array<double, 4>, NP> s;
  for (size_t p = 0; p < NP; ++p) s[p] = {s0[p][0], s0[p][1], s1[p][0], s1[p][1]};
  for (; i < width_; ++i) {
    w[0] += sources[i] * kernel[i];
    for (size_t p = 0; p < NP; ++p) s[p][0] += values[p][i] * kernel[i];
  }
  const double total = (w[0] + w[1]) + (w[2] + w[3]);
  if (total == 0) return false;
  const double unsure = 0.5 - (rowLargest_ + 1) * (width_ + 4) * 0x1p-48;
  std::array<int32_t, NP> result;
  for (size_t p = 0; p < NP; ++p) {
    const double q = ((s[p][0] + s[p][1]) + (s[p][2] + s[p][3])) / total;
    const double r = (q + 0x1.8p52) - 0x1.8p52;  // round, halves to even (|q| < 2^31)
    if (std::fabs(q - r) >= unsure) return false;
    result[p] = static_cast<int32_t>(r);
  }
  for (size_t p = 0; p < NP; ++p) planes_[p][static_cast<size_t>(y)][x] = result[p];
  return true;
}

// The row's sources as 1/0 and their values (0 elsewhere), for QuickRow.
// Sources are never written, so the row can be prepared once.
template <size_t NP>
inline void TSmearer<NP>::PrepareRow(int32_t y) {
  const int32_t* transparency = transparency_[static_cast<size_t>(y)];
  rowLargest_ = 0;
  rowHasSource_ = false;
  for (int32_t i = 0; i < width_; ++i) {
    const bool source = transparency[i] <= kSmearSourceAtMost;
    rowHasSource_ = rowHasSource_ || source;
    rowSources_[static_cast<size_t>(i)] = source ? 1.0 : 0.0;
    for (size_t p = 0; p < NP; ++p) {
      const int32_t v = planes_[p][static_cast<size_t>(y)][i];
      rowValues_[p][static_cast<size_t>(i)] = source ? v : 0.0;
      if (source) rowLargest_ = std::max(rowLargest_, std::fabs(static_cast<double>(v)));
    }
  }
  preparedRow_ = y;
}

// Every opaque pixel of the row, left of x outwards and then right of x
// outwards, weighted 1/d^3. Pixels in the first or last column collect nothing.
template <size_t NP>
inline void TSmearer<NP>::InterpolateRow(int32_t x, int32_t y, long double& w,
                                         std::array<long double, NP>& s) const {
  if (x == 0 || x == width_ - 1) return;
  if (y == preparedRow_ && !rowHasSource_) return;  // a fully transparent row: nothing to collect
  const int32_t* transparency = transparency_[static_cast<size_t>(y)];
  std::array<const int32_t*, NP> values;
  for (size_t p = 0; p < NP; ++p) values[p] = planes_[p][static_cast<size_t>(y)];
  const long double* weight = weights_.data();
  for (int32_t i = x - 1; i >= 0; --i) {
    if (transparency[i] > kSmearSourceAtMost) continue;
    const long double wi = weight[x - i];
    w += wi;
    for (size_t p = 0; p < NP; ++p) s[p] += values[p][i] * wi;
  }
  for (int32_t i = x + 1; i < width_; ++i) {
    if (transparency[i] > kSmearSourceAtMost) continue;
    const long double wi = weight[i - x];
    w += wi;
    for (size_t p = 0; p < NP; ++p) s[p] += values[p][i] * wi;
  }
}

}  // namespace
}  // namespace drovix

// The interpolated read of a ray sample: SmoothPixel of every plane at one
// position, bit for bit, with the arithmetic skipped where the neighbours
// allow it, and the test whether the position is opaque drawing.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/raster/SmoothWeights.h"
#include "drovix_graph/scan/smear/SmearThresholds.h"

namespace drovix {
namespace {

// Plane values below this in magnitude come out of SmoothPixel unchanged when
// its four neighbours are equal (the float rounding error stays far below
// one half), so such reads need no arithmetic.
constexpr int32_t kExactFlat = 1 << 20;
// For neighbours up to this magnitude a read is first worked out in plain
// float arithmetic. Its weights lie within 8 units of 2^-24 (relative) of
// SmoothPixel's, which moves the mean by at most twice that of the range of
// the values (0.008 for neighbours from -4096 to 4096, 0.001 for 0..1020),
// and its products, sums and quotient add less than 0.0015; so unless the
// result falls within kUnsure of a rounding boundary it rounds to the same
// integer, and the extended-precision arithmetic is skipped. Transparency
// (0..255), grey values and contours (0..1020) are all inside.
constexpr int32_t kQuickRange = 4096;
constexpr float kUnsure = 0.01f;

// One SmoothPixel read position, shared by every plane read there. Its
// weights and means are those of TDrovixGraph::SmoothPixel (SmoothWeights.h:
// squared bilinear weights held as Singles, the sum rounded to a Single, the
// division and rounding in extended precision), so the results are equal.
// Neighbour positions are clamped into the page as ClampedPixel does: a
// ray's last sample may lie up to one step outside.
class TSample {
 public:
  // inside: 0 < row < lastRow + 1 and 0 < column < lastColumn + 1, so that
  // the truncated position needs no clamping but for its next neighbours.
  TSample(float row, float column, int32_t lastRow, int32_t lastColumn, bool inside) {
    const int32_t r0 = static_cast<int32_t>(row);
    const int32_t c0 = static_cast<int32_t>(column);
    fr_ = row - static_cast<float>(r0);
    fc_ = column - static_cast<float>(c0);
    if (inside) {
      ra_ = static_cast<size_t>(r0);
      rb_ = static_cast<size_t>(r0 < lastRow ? r0 + 1 : lastRow);
      ca_ = static_cast<size_t>(c0);
      cb_ = static_cast<size_t>(c0 < lastColumn ? c0 + 1 : lastColumn);
    } else {
      ra_ = static_cast<size_t>(std::clamp(r0, 0, lastRow));
      rb_ = static_cast<size_t>(std::clamp(r0 + 1, 0, lastRow));
      ca_ = static_cast<size_t>(std::clamp(c0, 0, lastColumn));
      cb_ = static_cast<size_t>(std::clamp(c0 + 1, 0, lastColumn));
    }
  }

  // The top-left neighbour of the position, clamped into the page.
  size_t Row() const { return ra_; }
  size_t Column() const { return ca_; }
  // The other neighbours: below, and to the right.
  size_t NextRow() const { return rb_; }
  size_t NextColumn() const { return cb_; }

  // SmoothPixel of the plane (given by its row table) at this position.
  int32_t Read(int32_t* const* rows) {
    const int32_t* top = rows[ra_];
    const int32_t* bottom = rows[rb_];
    return Combine(top[ca_], top[cb_], bottom[cb_], bottom[ca_]);
  }

  // SmoothPixel from the values of the top-left, top-right, bottom-right and
  // bottom-left neighbours.
  int32_t Combine(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (a == b && a == c && a == d && a > -kExactFlat && a < kExactFlat) return a;
    return Mixed(a, b, c, d);
  }

  // For a sample whose four neighbours are all opaque enough, in place of
  // IsSource.
  void SetOpaque() { highest_ = 0; }

  // After IsSource: whether a neighbour is a pixel being refilled.
  bool TouchesTarget() const { return highest_ > kSmearTargetAbove; }

  // Whether the transparency plane is opaque enough here. Transparency lies in
  // 0..255: when all four neighbours are on one side of the threshold the
  // interpolated value is too, so only mixed neighbourhoods are computed.
  [[gnu::always_inline]] bool IsSource(int32_t* const* transparency) {
    const int32_t* top = transparency[ra_];
    const int32_t* bottom = transparency[rb_];
    const int32_t a = top[ca_], b = top[cb_], c = bottom[cb_], d = bottom[ca_];
    const int32_t hi = std::max(std::max(a, b), std::max(c, d));
    highest_ = hi;
    if (hi <= kSmearSourceAtMost) return true;
    const int32_t lo = std::min(std::min(a, b), std::min(c, d));
    if (lo > kSmearSourceAtMost) return false;
    return MixedIsSource(a, b, c, d);
  }

 private:
  int32_t Mixed(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (InQuickRange(a, b, c, d)) {
      const float v = QuickBlend(a, b, c, d);
      const float r = RoundFloat(v);
      if (std::fabs(v - r) < 0.5f - kUnsure) return static_cast<int32_t>(r);
    }
    return Blend(a, b, c, d);
  }

  // The value rounds to at most 12 exactly when it is at most 12.5.
  bool MixedIsSource(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (InQuickRange(a, b, c, d)) {
      const float v = QuickBlend(a, b, c, d);
      if (v < kSmearSourceAtMost + 0.5f - kUnsure) return true;
      if (v > kSmearSourceAtMost + 0.5f + kUnsure) return false;
    }
    return Blend(a, b, c, d) <= kSmearSourceAtMost;
  }

  static bool InQuickRange(int32_t a, int32_t b, int32_t c, int32_t d) {
    const int32_t hi = std::max(std::max(a, b), std::max(c, d));
    const int32_t lo = std::min(std::min(a, b), std::min(c, d));
    return hi <= kQuickRange && lo >= -kQuickRange;
  }

  // The same weighted mean in float arithmetic: an estimate, see kQuickRange.
  float QuickBlend(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (!estimated_) {
      quick_ = QuickSmoothWeights(fr_, fc_);
      estimated_ = true;
    }
    return QuickSmoothMean(quick_, a, b, c, d);
  }

  // SmoothPixel's own arithmetic, out of line: the walk that calls it keeps
  // no extended values.
  [[gnu::noinline]] int32_t Blend(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (!weighed_) {
      weights_ = SmoothWeights(fr_, fc_);
      weighed_ = true;
    }
    return RoundUncheckedShift(SmoothMean(weights_, a, b, c, d));
  }

  float fr_, fc_;
  size_t ra_, rb_, ca_, cb_;
  int32_t highest_ = 0;  // the largest transparency of the neighbours
  // The weights are set when first needed (most reads need none).
  bool weighed_ = false, estimated_ = false;
  TSmoothWeights weights_;
  TQuickSmoothWeights quick_;
};

}  // namespace
}  // namespace drovix

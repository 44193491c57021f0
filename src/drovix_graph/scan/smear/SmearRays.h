// The rays of the ray-casting methods: the walk of one ray over its
// samples, skipping what the clearance map shows cannot meet opaque
// drawing, its stops, and the weighted sums of a target's rays.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "drovix_graph/scan/smear/TSmearer.h"

namespace drovix {
namespace {

// Rays skip ahead from a sample this far from every opaque pixel.
constexpr uint32_t kSkipFrom = 4;
// Contour-guided rays end where the contour strength leaves [C0 / 1.9, C0 * 1.9].
constexpr long double kContourSpread = 1.9L;

// A coordinate of sample k of a ray: float(base + r x direction) with r =
// distances_[k], as worked out in extended precision. The double result v
// lies within positionError_ of the extended one, so when both ends of
// that interval round to the same float (rounding is monotonic) the
// extended value rounds to it too. (The bound is several times the error
// of v, which leaves room for the rounding of the two ends themselves.)
template <size_t NP>
inline float TSmearer<NP>::Coordinate(int32_t base, double direction, const long double* directionL,
                                      size_t k) const {
  const double v = base + distancesD_[k] * direction;
  const float low = static_cast<float>(v - positionError_), high = static_cast<float>(v + positionError_);
  if (low == high) return low;
  return ExactCoordinate(base, directionL, k);
}

template <size_t NP>
float TSmearer<NP>::ExactCoordinate(int32_t base, const long double* direction, size_t k) const {
  return static_cast<float>(static_cast<long double>(base) + distances_[k] * *direction);
}

// The index of the first sample at or beyond distance `stop`: a ray runs
// while r < stop, that is while its sample index is below this.
template <size_t NP>
inline size_t TSmearer<NP>::StopIndex(long double stop) const {
  const double guess = static_cast<double>(stop) / static_cast<double>(step_) - 1.5;
  size_t i = guess > 0 ? std::min(static_cast<size_t>(guess), distances_.size() - 1) : 0;
  while (i + 1 < distances_.size() && distances_[i] < stop) ++i;
  while (i > 0 && !(distances_[i - 1] < stop)) --i;
  return i;
}

// How many samples after one whose top-left neighbour lies `clear` pixels
// (counted as the larger of the row and column distances) from every
// pixel of transparency <= 12 cannot be sources either. A read is a
// source only if one of its four neighbours is such a pixel (a mean of
// values above 12 rounds above 12). Sample k + j lies within j x step +
// 0.001 of sample k in each coordinate (the floats are rounded within
// 2^-11 of the ray), which moves the truncated, clamped top-left
// neighbour by at most m pixels when j x step + 0.001 < m; its four
// neighbours stay within m + 1 of the first one, clear of opaque pixels
// while m + 1 < clear.
template <size_t NP>
inline size_t TSmearer<NP>::SkippableAfter(uint32_t clear) const {
  return static_cast<size_t>((static_cast<double>(clear) - 2.002) / skipStep_);
}

// Rays from (x, y) outwards. Each starts collecting at its first opaque
// point F, collects for `tail` more pixels and gives up `reach` pixels
// beyond the nearest first hit G of the rays cast before it.
//
// Contour-guided rays end where the contour strength departs from that of
// their first hit, and count by (r_end - F)^2. Contour-limited rays end at
// a strong edge (contour above 4 x the page mean). The colour-difference
// stop of the contour-limited rays compares a point with the ray's first
// opaque point only up to that point, where the difference is 0, so it
// never ends a ray and is left out. Without edgeStop contour-limited rays
// ignore the contour plane. Returns whether any ray met an opaque point.
template <size_t NP>
template <TRoutine K, bool edgeStop>
inline bool TSmearer<NP>::CastRays(int32_t x, int32_t y, long double& w, std::array<long double, NP>& s,
                                   TWalker& walker) {
  walker.nearest = maxSide_;  // G
  walker.nearestIndex = kMaxSide;
  walker.self = static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
  walker.tainted = false;
  const TCollected* collected = walker.collected.data();
  const size_t rays = sines_.size();
  bool reached = false;
  for (size_t ray = 0; ray < rays; ++ray) {
    const TRayWalk walk = WalkRay<K, edgeStop>(x, y, ray, walker);
    reached = reached || walk.reached;
    long double first = walk.firstSet ? distances_[collected[0].k] : maxSide_;  // F
    size_t firstIndex = walk.firstSet ? collected[0].k : kMaxSide;
    // The sums in the order of the samples, as the rules add them.
    if constexpr (K == TRoutine::kRayCasting) {
      for (size_t i = 0; i < walk.collected; ++i) {
        const long double wr = weights_[collected[i].k];
        w += wr;
        for (size_t p = 0; p < NP; ++p) s[p] += collected[i].v[p] * wr;
      }
    } else {
      long double rayW = 0;
      std::array<long double, NP> rayS{};
      for (size_t i = 0; i < walk.collected; ++i) {
        const long double wr = weights_[collected[i].k];
        rayW += wr;
        for (size_t p = 0; p < NP; ++p) rayS[p] += collected[i].v[p] * wr;
      }
      if constexpr (K == TRoutine::kContourGuided) {
        const long double end = distances_[walk.end];
        if (end < first) {
          first = end;
          firstIndex = walk.end;
        }
        const long double factor = (end - first) * (end - first);
        w += rayW * factor;
        for (size_t p = 0; p < NP; ++p) s[p] += rayS[p] * factor;
      } else {
        w += rayW;
        for (size_t p = 0; p < NP; ++p) s[p] += rayS[p];
      }
    }
    if (first < walker.nearest) {
      walker.nearest = first;
      walker.nearestIndex = firstIndex;
    }
  }
  return reached;
}

// One ray from (x, y), the walker holding G. Out of line and free of
// extended values, so that the walk keeps nothing on the x87 stack across
// the calls it makes.
template <size_t NP>
template <TRoutine K, bool edgeStop>
auto TSmearer<NP>::WalkRay(int32_t x, int32_t y, size_t ray, TWalker& walker) -> TRayWalk {
  const float widthF = static_cast<float>(width_), heightF = static_cast<float>(height_);
  const int32_t lastRow = height_ - 1, lastColumn = width_ - 1;
  int32_t* const* transparency = transparency_.data();
  int32_t* const* contours = contours_.data();
  std::array<int32_t* const*, NP> planes;
  for (size_t p = 0; p < NP; ++p) planes[p] = planes_[p].data();
  auto inside = [&](float cx, float cy) { return cx > 0 && cx < widthF && cy > 0 && cy < heightF; };
  const long double* sine = &sines_[ray];
  const long double* cosine = &cosines_[ray];
  const double sineD = sinesD_[ray], cosineD = cosinesD_[ray];
  auto columnAt = [&](size_t i) { return Coordinate(x, sineD, sine, i); };
  auto rowAt = [&](size_t i) { return Coordinate(y, cosineD, cosine, i); };
  TRayWalk walk;
  // r < F + tail and r - G < reach in one test: r and G are multiples of
  // the step or whole, so r - G and G + reach are exact and the two forms
  // agree. Sample k runs while k < stopAt.
  const size_t reachStop = walker.nearestIndex == kMaxSide ? reachStopMax_ : reachStop_[walker.nearestIndex];
  size_t stopAt = std::min(tailStopMax_, reachStop);
  // Contour-guided: the ray ends at a contour below lowContour or above
  // highContour (c0 / 1.9 and c0 x 1.9 as whole bounds).
  int64_t lowContour = 0, highContour = 0;
  bool hit = false;
  // Whether the last sample (before the first, the target) is inside the page.
  bool in = inside(static_cast<float>(x), static_cast<float>(y));
  // Whether every sample before stopAt is inside the page: the target is,
  // and both coordinates are monotonic in k, so it is enough that the
  // last one is. stopAt only shrinks, so this stays true once it is.
  // The test is on the double positions with a margin of a pixel, far
  // beyond their error: false near the edges, where the walk tests each
  // sample as before.
  auto insideUpTo = [&](size_t stop) {
    if (stop == 0 || stop > distancesD_.size()) return false;
    const double cx = x + distancesD_[stop - 1] * sineD, cy = y + distancesD_[stop - 1] * cosineD;
    return cx > 1 && cx < width_ - 1 && cy > 1 && cy < height_ - 1;
  };
  bool allInside = in && insideUpTo(stopAt);
  size_t k = 0;  // sample k lies at distances_[k] = (k + 1) x step
  for (; in && k < stopAt; ++k) {
    const float px = columnAt(k), py = rowAt(k);
    in = allInside || inside(px, py);
    // A sample just outside the page (the last of a ray) reads clamped
    // neighbours, which its block may not show. Inside, the truncated
    // position is the top-left neighbour itself.
    auto cell = [&] {
      return static_cast<size_t>(static_cast<int32_t>(py)) * static_cast<size_t>(width_) +
             static_cast<size_t>(static_cast<int32_t>(px));
    };
    const uint8_t block = in ? clearanceMap_.Block(cell()) : TClearanceMap::kMixedBlock;
    if (block >= TClearanceMap::kClearBlock) {
      const uint32_t clear = block == TClearanceMap::kClearCapped ? clearanceMap_.Clearance(cell())
                                                                  : block - TClearanceMap::kClearBlock;
      if (clear < kSkipFrom) continue;
      // Samples k .. k + n cannot be sources (see SkippableAfter); the ray
      // walks over them unless it leaves the page or reaches its stop on
      // the way, which is found exactly: the samples inside the page are
      // a prefix of the ray, the coordinates being monotonic in k.
      const size_t last = std::min(k + SkippableAfter(clear), stopAt - 1);
      if (last > k && allInside) {
        k = last;  // all of them inside: the search below would end here
      } else if (last > k) {
        size_t lo = k, hi = last;  // sample lo is inside; find the last inside below hi
        while (lo + 1 < hi) {
          const size_t mid = lo + (hi - lo) / 2;
          if (inside(columnAt(mid), rowAt(mid))) {
            lo = mid;
          } else {
            hi = mid;
          }
        }
        k = lo + 1;  // inside up to lo: the ray goes on to sample lo + 1 (<= last)
        in = inside(columnAt(k), rowAt(k));
      }
      continue;
    }
    TSample sample(py, px, lastRow, lastColumn, in);
    if (block == TClearanceMap::kMixedBlock) {
      if (!sample.IsSource(transparency)) continue;
    } else {
      sample.SetOpaque();
    }
    walk.reached = true;
    if constexpr (K == TRoutine::kContourGuided) {
      const int32_t c = sample.Read(contours);
      if (!hit) {
        ContourBounds(c, lowContour, highContour);
        hit = true;
      } else if (c < lowContour || c > highContour) {
        break;
      }
    } else if constexpr (K == TRoutine::kContourLimited && edgeStop) {
      if (sample.Read(contours) > contourLimitWhole_) break;
    }
    if (!walk.firstSet && k < belowMaxSide_) {
      // The first collected point closer than max(width, height): F.
      walk.firstSet = true;
      stopAt = std::min(tailStop_[k], reachStop);
      allInside = allInside || insideUpTo(stopAt);
    }
    TCollected& point = walker.collected[walk.collected++];
    point.k = k;
    if (sample.TouchesTarget()) {
      // Next to a pixel being refilled: which value it shows depends on
      // the order of the targets (see NeighbourValue).
      for (size_t p = 0; p < NP; ++p)
        point.v[p] = sample.Combine(NeighbourValue(p, sample.Row(), sample.Column(), walker),
                                    NeighbourValue(p, sample.Row(), sample.NextColumn(), walker),
                                    NeighbourValue(p, sample.NextRow(), sample.NextColumn(), walker),
                                    NeighbourValue(p, sample.NextRow(), sample.Column(), walker));
    } else {
      for (size_t p = 0; p < NP; ++p) point.v[p] = sample.Read(planes[p]);
    }
  }
  walk.end = k;
  return walk;
}

// For a whole contour value c: c < c0 / 1.9 exactly when c < ceil(c0 / 1.9),
// and c > c0 x 1.9 exactly when c > floor(c0 x 1.9).
template <size_t NP>
void TSmearer<NP>::SetContourBounds(int32_t c0, int64_t& low, int64_t& high) {
  low = static_cast<int64_t>(std::ceil(c0 / kContourSpread));
  high = static_cast<int64_t>(std::floor(c0 * kContourSpread));
}

// The same from a table for the usual contour values: the library's
// rounding switches the rounding mode of the floating-point unit, which
// stalls it, once per ray.
template <size_t NP>
inline void TSmearer<NP>::ContourBounds(int32_t c0, int64_t& low, int64_t& high) const {
  if (c0 >= 0 && static_cast<size_t>(c0) < contourBounds_.size()) {
    low = contourBounds_[static_cast<size_t>(c0)].first;
    high = contourBounds_[static_cast<size_t>(c0)].second;
    return;
  }
  SetContourBounds(c0, low, high);
}

}  // namespace
}  // namespace drovix

// TSmearer, the refill of every target of a page by the row or ray methods
// for NP planes at once. The class holds the page's tables; its passes are
// defined by subject: the row pass (SmearRowPass.h), the rays and their
// stops (SmearRays.h) and the bands of rows refilled side by side
// (SmearBands.h). The rays skip by the page's TClearanceMap.
//
// These headers belong to the translation unit of Smear.cpp alone and keep
// their names internal to it: with every caller in sight the compiler
// inlines the hot reads and sums into the walk, which it does not do for
// names other files could share. Include them nowhere else.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_graph/scan/smear/SmearParams.h"
#include "drovix_graph/scan/smear/SmearSample.h"
#include "drovix_graph/scan/smear/TClearanceMap.h"

namespace drovix {
namespace {

using TRows = std::vector<int32_t*>;

TRows RowsOf(TDrovixGraph& plane) {
  TRows rows(static_cast<size_t>(plane.Height()));
  for (int32_t y = 0; y < plane.Height(); ++y) rows[static_cast<size_t>(y)] = plane.RowPtr(y);
  return rows;
}

// Refills the transparent pixels of NP planes (the page's main raster first)
// with one set of weights.
template <size_t NP>
class TSmearer {
 public:
  TSmearer(TDrovixMangaScan& scan, const std::array<TDrovixGraph*, NP>& planes)
      : width_(scan.Width()), height_(scan.Height()), transparency_(RowsOf(*scan.Transparency)) {
    for (size_t p = 0; p < NP; ++p) planes_[p] = RowsOf(*planes[p]);
    if (scan.Contours != nullptr && scan.Contours->Height() == height_) contours_ = RowsOf(*scan.Contours);
  }

  // Mean contour strength, each pixel's contour counted up to 128.
  long double MeanContour() const {
    int64_t sum = 0;
    for (const int32_t* row : contours_)
      for (int32_t x = 0; x < width_; ++x) sum += std::clamp(row[x], 0, 128);
    return static_cast<long double>(sum) / (static_cast<long double>(width_) * height_);
  }

  // Visits the targets row by row, left to right, refilling each in place;
  // markFailed(y, x) stamps a target that no opaque point reached. With
  // threads > 1 the rays of separate bands of rows are cast side by side
  // (see RunBands); the result is the same.
  template <class MarkFailed>
  void Run(const TSmearParams& params, int32_t rayCount, long double meanContour, int32_t threads,
           bool forced, MarkFailed markFailed) {
    Prepare(params, rayCount, meanContour);
    routine_ = params.routine;
    forcedBands_ = forced;
    if (params.routine == TRoutine::kRowInterpolation) {
      for (int32_t y = 0; y < height_; ++y) {
        const int32_t* transparency = transparency_[static_cast<size_t>(y)];
        for (int32_t x = 0; x < width_; ++x) {
          if (transparency[x] <= kSmearTargetAbove || QuickRow(x, y)) continue;
          long double w = 0;
          std::array<long double, NP> s{};
          InterpolateRow(x, y, w, s);
          Store(x, y, w, s, markFailed);
        }
      }
      return;
    }
    // Contour-limited targets whose rays met opaque points but all ended at
    // a strong edge before collecting anything (over screen tone every
    // opaque point is such an edge). They are refilled once the page is
    // done, by the same rays without the edge stop, so that no pixel that
    // collects here reads a different neighbourhood than it would without
    // that second pass.
    std::vector<TPixel> edgeBound = RunBands(threads, nullptr, markFailed);
    if (edgeBound.empty()) return;
    // Row by row, in place: a later one may read an earlier one refilled.
    // A target that collects nothing even so keeps the ERROR pattern.
    members_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
    for (const auto& [y, x] : edgeBound)
      members_[static_cast<size_t>(y) * static_cast<size_t>(width_) + x] = 1;
    RunBands(threads, &edgeBound, markFailed);
    std::vector<uint8_t>().swap(members_);
  }

 private:
  using TPixel = std::pair<int32_t, int32_t>;  // row, column

  // The state of one thread's rays.
  struct TCollected {
    size_t k;
    std::array<int32_t, NP> v;
  };
  struct TWalker {
    std::vector<TCollected> collected;  // one ray's collected points
    long double nearest = 0;            // G of the target being refilled
    size_t nearestIndex = 0;            // its sample index; kMaxSide for max(width, height)
    size_t self = 0;                    // the target's index on the page
    // Rows above this belong to a band another thread is still refilling;
    // ahead: the rays of this band run before the bands above are done.
    int32_t firstOwnRow = 0;
    bool ahead = false;
    bool tainted = false;  // the target read a pixel that may still change
  };
  static constexpr size_t kMaxSide = SIZE_MAX;

  TWalker NewWalker(int32_t firstOwnRow, bool ahead) const {
    TWalker walker;
    walker.collected.resize(distances_.size());
    walker.firstOwnRow = firstOwnRow;
    walker.ahead = ahead;
    return walker;
  }

  template <class MarkFailed>
  void Store(int32_t x, int32_t y, long double w, const std::array<long double, NP>& s,
             MarkFailed& markFailed) {
    if (w != 0) {
      for (size_t p = 0; p < NP; ++p) planes_[p][static_cast<size_t>(y)][x] = RoundUncheckedShift(s[p] / w);
    } else {
      markFailed(y, x);
    }
  }

  // Casts the rays of one target and stores the result; returns whether it
  // is one of the contour-limited targets left for the second pass.
  template <class MarkFailed>
  bool Refill(int32_t x, int32_t y, TWalker& walker, MarkFailed& markFailed) {
    long double w = 0;
    std::array<long double, NP> s{};
    bool edgeBound = false;
    switch (routine_) {
      case TRoutine::kRayCasting:
        CastRays<TRoutine::kRayCasting>(x, y, w, s, walker);
        break;
      case TRoutine::kContourGuided:
        CastRays<TRoutine::kContourGuided>(x, y, w, s, walker);
        break;
      default:
        edgeBound = CastRays<TRoutine::kContourLimited>(x, y, w, s, walker) && w == 0;
        break;
    }
    Store(x, y, w, s, markFailed);
    return edgeBound;
  }

  // The second pass over a target of the first that ended at edges only: the
  // same rays without the edge stop; it keeps the ERROR pattern when even
  // they collect nothing.
  void RefillWithoutEdges(int32_t x, int32_t y, TWalker& walker) {
    long double w = 0;
    std::array<long double, NP> s{};
    CastRays<TRoutine::kContourLimited, false>(x, y, w, s, walker);
    if (w != 0)
      for (size_t p = 0; p < NP; ++p) planes_[p][static_cast<size_t>(y)][x] = RoundUncheckedShift(s[p] / w);
  }

  void Prepare(const TSmearParams& params, int32_t rayCount, long double meanContour) {
    step_ = params.step;
    reach_ = params.reach;
    tail_ = params.routine == TRoutine::kContourLimited ? params.tail / 3.0L : params.tail;
    contourLimit_ = 4 * meanContour;
    maxSide_ = std::max(width_, height_);

    if (params.routine == TRoutine::kRowInterpolation) {
      // Whole-pixel distances 1 .. width - 1, and the same weights as a
      // kernel over the row for the estimate: kernel_[width - 1 + t] is the
      // weight at offset t (none at 0).
      weights_.assign(static_cast<size_t>(width_) + 1, 0.0L);
      kernel_.assign(2 * static_cast<size_t>(width_) - 1, 0.0);
      for (int32_t d = 1; d <= width_; ++d) {
        const long double dd = d;
        weights_[static_cast<size_t>(d)] = 1.0L / (dd * dd * dd);
        if (d < width_) {
          kernel_[static_cast<size_t>(width_ - 1 + d)] =
              static_cast<double>(weights_[static_cast<size_t>(d)]);
          kernel_[static_cast<size_t>(width_ - 1 - d)] =
              static_cast<double>(weights_[static_cast<size_t>(d)]);
        }
      }
      rowSources_.assign(static_cast<size_t>(width_), 0.0);
      for (auto& v : rowValues_) v.assign(static_cast<size_t>(width_), 0.0);
      preparedRow_ = -1;
      return;
    }

    // The fan: contour-limited casting turns by three angle steps per ray.
    const long double angleStep = kFanAngle / rayCount;
    const long double turn = params.routine == TRoutine::kContourLimited ? 3 * angleStep : angleStep;
    sines_.clear();
    cosines_.clear();
    for (long double a = 0; a < kFullTurn; a += turn) {
      sines_.push_back(std::sin(a));
      cosines_.push_back(std::cos(a));
    }
    sinesD_.assign(sines_.begin(), sines_.end());
    cosinesD_.assign(cosines_.begin(), cosines_.end());

    // Distances r = step, 2 step, ... of a ray's samples and their weights.
    // A ray runs only while r < F + tail with F <= max(width, height), which
    // bounds the tables.
    const size_t samples = static_cast<size_t>((maxSide_ + tail_) / step_) + 4;
    distances_.resize(samples);
    weights_.resize(samples);
    distancesD_.resize(samples);
    long double r = step_;
    for (size_t k = 0; k < samples; ++k, r += step_) {
      distances_[k] = r;
      distancesD_[k] = static_cast<double>(r);
      weights_[k] = params.cubeWeight ? 1.0L / (r * r * r) : 1.0L / std::exp(r);
    }
    // |double - extended| of a coordinate x + r d, |d| <= 1: a few roundings
    // of 2^-53 relative to |x| + r, far less than this.
    positionError_ = (2.0 * maxSide_ + static_cast<double>(tail_) + 16) * 0x1p-48;
    // The step with room for the rounding of the distances and of the floats.
    skipStep_ = static_cast<double>(step_) * (1 + 0x1p-20);
    belowMaxSide_ = StopIndex(maxSide_);
    // The stop of a ray is StopIndex(min(F + tail, G + reach)), the smaller
    // of the two stops since StopIndex grows with its argument.
    tailStop_.resize(samples);
    reachStop_.resize(samples);
    for (size_t k = 0; k < samples; ++k) {
      tailStop_[k] = StopIndex(distances_[k] + tail_);
      reachStop_[k] = StopIndex(distances_[k] + reach_);
    }
    tailStopMax_ = StopIndex(maxSide_ + tail_);
    reachStopMax_ = StopIndex(maxSide_ + reach_);
    snapshotFirst_ = height_;
    // A whole contour value c exceeds 4 x the mean exactly when it exceeds
    // the floor of that (the mean is at most 128).
    contourLimitWhole_ = static_cast<int64_t>(std::floor(contourLimit_));
    if (params.routine == TRoutine::kContourGuided) {
      contourBounds_.resize(kContourTable);
      for (int32_t c = 0; c < kContourTable; ++c)
        SetContourBounds(c, contourBounds_[static_cast<size_t>(c)].first,
                         contourBounds_[static_cast<size_t>(c)].second);
    }
    clearanceMap_.Compute(transparency_.data(), width_, height_);
  }

  // The row pass (SmearRowPass.h).
  bool QuickRow(int32_t x, int32_t y);
  void PrepareRow(int32_t y);
  void InterpolateRow(int32_t x, int32_t y, long double& w, std::array<long double, NP>& s) const;

  // The rays (SmearRays.h).
  // What one ray collected: its points in collected_[0 .. collected), the
  // index of the sample it ended at, and its first collected distance F.
  struct TRayWalk {
    size_t collected = 0;
    size_t end = 0;
    bool firstSet = false;
    bool reached = false;
  };
  template <TRoutine K, bool edgeStop = true>
  bool CastRays(int32_t x, int32_t y, long double& w, std::array<long double, NP>& s, TWalker& walker);
  template <TRoutine K, bool edgeStop>
  [[gnu::noinline]] TRayWalk WalkRay(int32_t x, int32_t y, size_t ray, TWalker& walker);
  float Coordinate(int32_t base, double direction, const long double* directionL, size_t k) const;
  [[gnu::noinline]] float ExactCoordinate(int32_t base, const long double* direction, size_t k) const;
  size_t StopIndex(long double stop) const;
  size_t SkippableAfter(uint32_t clear) const;
  [[gnu::noinline]] static void SetContourBounds(int32_t c0, int64_t& low, int64_t& high);
  void ContourBounds(int32_t c0, int64_t& low, int64_t& high) const;

  // The bands (SmearBands.h).
  std::vector<int32_t> BandStarts(int32_t threads, const std::vector<int64_t>& below) const;
  template <class MarkFailed>
  std::vector<TPixel> RunBands(int32_t threads, const std::vector<TPixel>* list, MarkFailed& markFailed);
  int32_t NeighbourValue(size_t p, size_t row, size_t column, TWalker& walker) const;

  const int32_t width_, height_;
  const TRows transparency_;
  TRows contours_;
  std::array<TRows, NP> planes_;

  long double step_ = 0, reach_ = 0, tail_ = 0, contourLimit_ = 0;
  int32_t maxSide_ = 0;
  std::vector<long double> sines_, cosines_, distances_, weights_;
  std::vector<double> distancesD_, sinesD_, cosinesD_;
  // A ray runs while its sample index is below min(F + tail, G + reach),
  // as indices: tailStop_[k] for F at sample k, reachStop_[k] for G there,
  // and the same for max(width, height) (no hit yet).
  std::vector<size_t> tailStop_, reachStop_;
  size_t tailStopMax_ = 0, reachStopMax_ = 0;
  TRoutine routine_ = TRoutine::kRayCasting;
  bool forcedBands_ = false;  // split into bands however few the targets
  // While bands are refilled side by side: the planes' rows from
  // snapshotFirst_ down as they were, and the targets in doubt (RunBands).
  int32_t snapshotFirst_ = 0;
  std::array<std::vector<int32_t>, NP> snapshot_;
  std::vector<uint8_t> doubt_;
  // Contour-guided bounds of the contour values 0 .. kContourTable - 1.
  static constexpr int32_t kContourTable = 4096;
  std::vector<std::pair<int64_t, int64_t>> contourBounds_;
  // In the second pass: 1 for the targets it refills.
  std::vector<uint8_t> members_;
  size_t belowMaxSide_ = 0;        // samples closer than max(width, height)
  int64_t contourLimitWhole_ = 0;  // floor(4 x mean contour)
  double positionError_ = 0, skipStep_ = 1;
  // What the rays skip by.
  TClearanceMap clearanceMap_;
  // Row interpolation estimate (QuickRow).
  std::vector<double> kernel_, rowSources_;
  std::array<std::vector<double>, NP> rowValues_;
  double rowLargest_ = 0;
  bool rowHasSource_ = false;
  int32_t preparedRow_ = -1;
};

}  // namespace
}  // namespace drovix

// Text removal ("smearing"): every pixel the user made transparent is
// refilled from the opaque drawing around it. Eight of the methods are
// here: a row interpolation for drafts and three kinds of ray casting, two
// of them steered by the contour plane (the pattern fill is SmearPattern).
//
// This is the slowest step of a page build, so the loops below avoid the
// raster's checked accessors: planes are read through row-pointer tables,
// sines, cosines and distance weights are worked out once per page, and the
// interpolated reads reproduce TDrovixGraph::SmoothPixel bit for bit while
// skipping its arithmetic wherever the four neighbours agree. Rays jump over
// samples that a distance map shows cannot meet opaque drawing, and work
// their sample positions out in double precision, falling back to extended
// precision near a float rounding boundary. On cores no other page holds,
// bands of rows are refilled side by side and mended afterwards where they
// met (RunBands). Every result equals that of the plain rules, one target
// after another (the tests compare them).
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

#include "driver/Console.h"
#include "driver/Cp1251.h"
#include "driver/TCoreLease.h"
#include "drovix_graph/raster/ParallelRows.h"
#include "drovix_graph/scan/SmearPattern.h"
#include "drovix_graph/scan/SmearThreads.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

enum class TRoutine { kRowInterpolation, kRayCasting, kContourGuided, kContourLimited };

struct TSmearParams {
  float rayFactor;        // rays = round(rayFactor * (power + 3))
  float step;             // ray step, pixels
  float reach;            // how far a ray may run beyond the nearest hit so far
  float tail;             // how far a ray collects beyond its own first hit
  bool cubeWeight;        // weight 1/d^3; otherwise 1/e^d
  int32_t contourRadius;  // 0: the method does not use contours
  TRoutine routine;
};

// Indexed by TSmear. 3.4951456 is the Single nearest to 360/103.
constexpr std::array<TSmearParams, 8> kSmearParams = {{
    {1.0f, 0.0f, 0.0f, 0.0f, true, 0, TRoutine::kRowInterpolation},          // SDRAFT
    {1.0f, 1.41f, 100.0f, 4.0f, true, 0, TRoutine::kRayCasting},             // SSIMPLE
    {1.0f, 1.0f, 15.0f, 0.0f, false, 0, TRoutine::kRayCasting},              // SHARD
    {3.4951456f, 5.0f, 100.0f, 15.0f, true, 0, TRoutine::kRayCasting},       // SCIRCULAR
    {1.0f, 0.7f, 100.0f, 10.0f, true, 1, TRoutine::kContourGuided},          // SSMARTER
    {3.4951456f, 0.45f, 50.0f, 20.0f, false, 2, TRoutine::kContourLimited},  // STRICKY
    {3.4951456f, 0.45f, 50.0f, 10.0f, false, 2, TRoutine::kContourLimited},  // SPICKY
    {3.4951456f, 0.45f, 30.0f, 10.0f, false, 1, TRoutine::kContourLimited},  // SSELECTIVE
}};

// A pixel is refilled when its transparency is above this.
constexpr int32_t kTargetAbove = 20;
// A (possibly interpolated) read is opaque drawing when its transparency is
// at most this: transparency / 255 < 0.05, i.e. below 12.75.
constexpr int32_t kSourceAtMost = 12;
// Rays skip ahead from a sample this far from every opaque pixel.
constexpr uint32_t kSkipFrom = 4;
// The angle that ends the fan of rays; the angle step is worked out from the
// slightly larger 6.2832 so that exactly R rays fit below it.
constexpr long double kFullTurn = 2 * std::numbers::pi_v<long double>;
constexpr long double kFanAngle = 6.2832L;
// Contour-guided rays end where the contour strength leaves [C0 / 1.9, C0 * 1.9].
constexpr long double kContourSpread = 1.9L;
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
// Below this many targets x rays a page is refilled by one thread: starting
// more costs more than it saves.
constexpr int64_t kFewRays = 200000;
// A band starts at the row with the fewest targets within this many rows.
constexpr int32_t kBandMargin = 8;

std::atomic<int32_t> forcedThreads{0};

// round(v), halves to even, for |v| < 2^62: adding 1.5 x 2^63 leaves no bits
// below the units in an extended value, so the sum is rounded to an integer
// in the default rounding mode. (The library call saves and restores the
// floating-point environment, which costs more than the rest of a read.)
inline int32_t RoundExtended(long double v) {
  constexpr long double kShift = 0x1.8p63L;
  const long double r = (v + kShift) - kShift;
  return static_cast<int32_t>(static_cast<double>(r));
}

// round(v), halves to even, for |v| < 2^22, the same way in float.
inline float RoundFloat(float v) {
  constexpr float kShift = 0x1.8p23f;
  return (v + kShift) - kShift;
}

// Two doubles added and multiplied side by side (one SSE2 register), for the
// row interpolation estimate.
using TPair = double __attribute__((vector_size(16)));

inline TPair LoadPair(const double* a) {
  TPair v;
  std::memcpy(&v, a, sizeof v);
  return v;
}

using TRows = std::vector<int32_t*>;

TRows RowsOf(TDrovixGraph& plane) {
  TRows rows(static_cast<size_t>(plane.Height()));
  for (int32_t y = 0; y < plane.Height(); ++y) rows[static_cast<size_t>(y)] = plane.RowPtr(y);
  return rows;
}

// One SmoothPixel read position, shared by every plane read there. The
// arithmetic follows TDrovixGraph::SmoothPixel step for step (squared
// bilinear weights held as Singles, the sum rounded to a Single, the division
// and rounding in extended precision), so the results are equal. Neighbour
// positions are clamped into the page as ClampedPixel does: a ray's last
// sample may lie up to one step outside.
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
  bool TouchesTarget() const { return highest_ > kTargetAbove; }

  // Whether the transparency plane is opaque enough here. Transparency lies in
  // 0..255: when all four neighbours are on one side of the threshold the
  // interpolated value is too, so only mixed neighbourhoods are computed.
  [[gnu::always_inline]] bool IsSource(int32_t* const* transparency) {
    const int32_t* top = transparency[ra_];
    const int32_t* bottom = transparency[rb_];
    const int32_t a = top[ca_], b = top[cb_], c = bottom[cb_], d = bottom[ca_];
    const int32_t hi = std::max(std::max(a, b), std::max(c, d));
    highest_ = hi;
    if (hi <= kSourceAtMost) return true;
    const int32_t lo = std::min(std::min(a, b), std::min(c, d));
    if (lo > kSourceAtMost) return false;
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
      if (v < kSourceAtMost + 0.5f - kUnsure) return true;
      if (v > kSourceAtMost + 0.5f + kUnsure) return false;
    }
    return Blend(a, b, c, d) <= kSourceAtMost;
  }

  static bool InQuickRange(int32_t a, int32_t b, int32_t c, int32_t d) {
    const int32_t hi = std::max(std::max(a, b), std::max(c, d));
    const int32_t lo = std::min(std::min(a, b), std::min(c, d));
    return hi <= kQuickRange && lo >= -kQuickRange;
  }

  // The same weighted mean in float arithmetic: an estimate, see kQuickRange.
  float QuickBlend(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (!estimated_) {
      const float gr = 1.0f - fr_, gc = 1.0f - fc_;
      qa_ = gr * gc;
      qa_ *= qa_;
      qb_ = gr * fc_;
      qb_ *= qb_;
      qc_ = fr_ * fc_;
      qc_ *= qc_;
      qd_ = fr_ * gc;
      qd_ *= qd_;
      qTotal_ = qa_ + qb_ + qc_ + qd_;
      estimated_ = true;
    }
    return (static_cast<float>(a) * qa_ + static_cast<float>(b) * qb_ + static_cast<float>(c) * qc_ +
            static_cast<float>(d) * qd_) /
           qTotal_;
  }

  // SmoothPixel's own arithmetic, out of line: the walk that calls it keeps
  // no extended values.
  [[gnu::noinline]] int32_t Blend(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (!weighed_) {
      const long double la = (1.0L - fr_) * (1.0L - fc_), lb = (1.0L - fr_) * fc_;
      const long double lc = static_cast<long double>(fr_) * fc_, ld = fr_ * (1.0L - fc_);
      wa_ = static_cast<float>(la * la);
      wb_ = static_cast<float>(lb * lb);
      wc_ = static_cast<float>(lc * lc);
      wd_ = static_cast<float>(ld * ld);
      total_ = static_cast<long double>(wa_) + wb_ + wc_ + wd_;
      weighed_ = true;
    }
    const float sum =
        static_cast<float>(static_cast<long double>(a) * wa_ + static_cast<long double>(b) * wb_ +
                           static_cast<long double>(c) * wc_ + static_cast<long double>(d) * wd_);
    return RoundExtended(sum / total_);
  }

  float fr_, fc_;
  size_t ra_, rb_, ca_, cb_;
  int32_t highest_ = 0;  // the largest transparency of the neighbours
  // The weights are set when first needed (most reads need none).
  bool weighed_ = false, estimated_ = false;
  float wa_, wb_, wc_, wd_;
  long double total_;
  float qa_, qb_, qc_, qd_, qTotal_;
};

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
  void Run(const TSmearParams& params, int32_t rayCount, long double meanContour, int32_t threads, bool forced,
           MarkFailed markFailed) {
    Prepare(params, rayCount, meanContour);
    routine_ = params.routine;
    forcedBands_ = forced;
    if (params.routine == TRoutine::kRowInterpolation) {
      for (int32_t y = 0; y < height_; ++y) {
        const int32_t* transparency = transparency_[static_cast<size_t>(y)];
        for (int32_t x = 0; x < width_; ++x) {
          if (transparency[x] <= kTargetAbove || QuickRow(x, y)) continue;
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
    for (const auto& [y, x] : edgeBound) members_[static_cast<size_t>(y) * static_cast<size_t>(width_) + x] = 1;
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
  void Store(int32_t x, int32_t y, long double w, const std::array<long double, NP>& s, MarkFailed& markFailed) {
    if (w != 0) {
      for (size_t p = 0; p < NP; ++p) planes_[p][static_cast<size_t>(y)][x] = RoundExtended(s[p] / w);
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
      for (size_t p = 0; p < NP; ++p) planes_[p][static_cast<size_t>(y)][x] = RoundExtended(s[p] / w);
  }

  // The first rows of the bands the page is split into, one per thread,
  // each with about as many targets; a band starts where few targets lie
  // near its first row, so that few rays reach into the band above.
  // below[y]: the targets in the rows above row y (y = 0 .. height).
  std::vector<int32_t> BandStarts(int32_t threads, const std::vector<int64_t>& below) const {
    const int64_t total = below.back();
    std::vector<int32_t> starts{0};
    if (threads <= 1 || (!forcedBands_ && total * static_cast<int64_t>(sines_.size()) < kFewRays)) return starts;
    const auto near = [&](int32_t y) {
      const int32_t lo = std::max(0, y - kBandMargin), hi = std::min(height_, y + kBandMargin);
      return below[static_cast<size_t>(hi)] - below[static_cast<size_t>(lo)];
    };
    for (int32_t k = 1; k < threads; ++k) {
      // The row that splits the targets k : (threads - k), then the row
      // with the fewest targets near it within a twentieth of the page.
      const int64_t wanted = total * k / threads;
      const int32_t ideal = static_cast<int32_t>(std::lower_bound(below.begin(), below.end(), wanted) - below.begin());
      const int32_t window = height_ / 20;
      int32_t best = ideal;
      for (int32_t y = std::max(ideal - window, starts.back() + 1); y <= std::min(ideal + window, height_ - 1); ++y)
        if (near(y) < near(best) || (near(y) == near(best) && std::abs(y - ideal) < std::abs(best - ideal)))
          best = y;
      if (best > starts.back() && best < height_) starts.push_back(best);
    }
    return starts;
  }

  // The bands are refilled side by side, each in its own order, then
  // mended so that every target gets what refilling them all one after
  // another gives. A ray reads the pixels being refilled only next to an
  // opaque point it collects; what it must see there is the refilled value
  // of a target before its own and the old value of a later one. Later
  // targets are read from a copy of the planes as they were (the bands
  // below are being overwritten), earlier ones of the own band in place. A
  // target that reads one of a band above (not final yet), or one of its
  // own band that is itself in doubt, is in doubt: once every band is done,
  // those are refilled again one after another, top down, reading what is
  // final by then. The rays' geometry depends on transparency and contours
  // alone, which do not change, so only the values of such targets differ.
  // The first pass (list null) refills every target and returns the
  // contour-limited ones left for the second pass, in order; the second
  // refills those (list), reading the first pass's results, and returns
  // nothing.
  template <class MarkFailed>
  std::vector<TPixel> RunBands(int32_t threads, const std::vector<TPixel>* list, MarkFailed& markFailed) {
    std::vector<int64_t> below(static_cast<size_t>(height_) + 1, 0);  // targets in the rows above y
    if (list == nullptr) {
      for (int32_t y = 0; y < height_; ++y) {
        const int32_t* transparency = transparency_[static_cast<size_t>(y)];
        int64_t n = 0;
        for (int32_t x = 0; x < width_; ++x) n += transparency[x] > kTargetAbove;
        below[static_cast<size_t>(y) + 1] = below[static_cast<size_t>(y)] + n;
      }
    } else {
      for (const auto& [y, x] : *list) ++below[static_cast<size_t>(y) + 1];
      for (int32_t y = 0; y < height_; ++y) below[static_cast<size_t>(y) + 1] += below[static_cast<size_t>(y)];
    }
    const std::vector<int32_t> starts = BandStarts(threads, below);
    const size_t bands = starts.size();
    struct TBand {
      std::vector<TPixel> edgeBound, doubtful;
      int64_t targets = 0;
    };
    std::vector<TBand> results(bands);
    snapshotFirst_ = bands > 1 ? starts[1] : height_;
    if (bands > 1) {
      for (size_t p = 0; p < NP; ++p) {
        snapshot_[p].resize(static_cast<size_t>(height_ - snapshotFirst_) * static_cast<size_t>(width_));
        for (int32_t y = snapshotFirst_; y < height_; ++y)
          std::memcpy(&snapshot_[p][static_cast<size_t>(y - snapshotFirst_) * static_cast<size_t>(width_)],
                      planes_[p][static_cast<size_t>(y)], static_cast<size_t>(width_) * sizeof(int32_t));
      }
      doubt_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
    }
    int32_t done = 0;  // targets since the last progress dot
    const auto tick = [&] {
      if (++done > width_) {
        ConsoleWriteRaw(".");
        done = 0;
      }
    };
    const auto band = [&](size_t b, bool live) {
      TBand& result = results[b];
      TWalker walker = NewWalker(starts[b], b > 0);
      const int32_t end = b + 1 < bands ? starts[b + 1] : height_;
      const auto doubt = [&](int32_t y, int32_t x) {
        if (!walker.tainted) return;
        doubt_[walker.self] = 1;
        result.doubtful.emplace_back(y, x);
      };
      if (list != nullptr) {
        // The band's part of the list: targets from row starts[b] to end.
        const auto first = list->begin() + below[static_cast<size_t>(starts[b])];
        const auto last = list->begin() + below[static_cast<size_t>(end)];
        for (auto it = first; it != last; ++it) {
          RefillWithoutEdges(it->second, it->first, walker);
          doubt(it->first, it->second);
        }
        return;
      }
      for (int32_t y = starts[b]; y < end; ++y) {
        const int32_t* transparency = transparency_[static_cast<size_t>(y)];
        for (int32_t x = 0; x < width_; ++x) {
          if (transparency[x] <= kTargetAbove) continue;
          if (Refill(x, y, walker, markFailed)) result.edgeBound.emplace_back(y, x);
          doubt(y, x);
          ++result.targets;
          if (live) tick();  // only the page's own thread writes to its console
        }
      }
    };
    SideBySide(static_cast<int32_t>(bands), [&](int32_t b) { band(static_cast<size_t>(b), b == 0); });

    TWalker walker = NewWalker(0, false);
    std::vector<TPixel> edgeBound = std::move(results[0].edgeBound);
    for (size_t b = 1; b < bands; ++b) {
      for (int64_t i = 0; i < results[b].targets; ++i) tick();
      for (const auto& [y, x] : results[b].doubtful) {
        if (list != nullptr) {
          RefillWithoutEdges(x, y, walker);
        } else {
          Refill(x, y, walker, markFailed);
        }
      }
      edgeBound.insert(edgeBound.end(), results[b].edgeBound.begin(), results[b].edgeBound.end());
    }
    snapshotFirst_ = height_;
    for (auto& plane : snapshot_) std::vector<int32_t>().swap(plane);
    std::vector<uint8_t>().swap(doubt_);
    return edgeBound;
  }

  // The value of a neighbour (row, column) of a collected point in plane p
  // for the walker's target, when a neighbour of the point is being
  // refilled; see RunBands.
  int32_t NeighbourValue(size_t p, size_t row, size_t column, TWalker& walker) const {
    const size_t index = row * static_cast<size_t>(width_) + column;
    // Refilled in this pass: any target in the first, the listed ones in the second.
    const bool refilled = members_.empty() ? transparency_[row][column] > kTargetAbove : members_[index] != 0;
    if (!refilled) return planes_[p][row][column];
    if (index >= walker.self) {  // not refilled before this target (or the target itself)
      if (row >= static_cast<size_t>(snapshotFirst_))
        return snapshot_[p][(row - static_cast<size_t>(snapshotFirst_)) * static_cast<size_t>(width_) + column];
      return planes_[p][row][column];
    }
    if (row < static_cast<size_t>(walker.firstOwnRow)) {  // a band above: not final yet
      walker.tainted = true;
      return 0;
    }
    if (walker.ahead && doubt_[index] != 0) walker.tainted = true;
    return planes_[p][row][column];
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
        SetContourBounds(c, contourBounds_[static_cast<size_t>(c)].first, contourBounds_[static_cast<size_t>(c)].second);
    }
    ComputeClearance();
    ComputeBlocks();
  }

  // What the four neighbours of a sample inside the page show: a sample
  // whose truncated position is (r, c) reads (r, c), (r, c + 1), (r + 1, c)
  // and (r + 1, c + 1), the last row and column standing in for the ones
  // beyond them, as in TSample. A sample none of whose neighbours is opaque
  // enough also holds the clearance of (r, c), so that the walk reads one
  // byte per sample.
  void ComputeBlocks() {
    const size_t w = static_cast<size_t>(width_);
    blocks_.assign(w * static_cast<size_t>(height_), kMixedBlock);
    for (int32_t y = 0; y < height_; ++y) {
      const int32_t* top = transparency_[static_cast<size_t>(y)];
      const int32_t* bottom = transparency_[static_cast<size_t>(std::min(y + 1, height_ - 1))];
      uint8_t* block = &blocks_[static_cast<size_t>(y) * w];
      const uint16_t* clear = &clearance_[static_cast<size_t>(y) * w];
      for (int32_t x = 0; x < width_; ++x) {
        const int32_t next = std::min(x + 1, width_ - 1);
        const int32_t hi = std::max(std::max(top[x], top[next]), std::max(bottom[x], bottom[next]));
        const int32_t lo = std::min(std::min(top[x], top[next]), std::min(bottom[x], bottom[next]));
        block[x] = hi <= kSourceAtMost ? kOpaqueBlock
                   : lo > kSourceAtMost
                       ? static_cast<uint8_t>(kClearBlock + std::min<uint32_t>(clear[x], kClearMost))
                       : kMixedBlock;
      }
    }
  }

  // Two passes of the chessboard distance transform, which is exact for the
  // larger of the row and column distances.
  void ComputeClearance() {
    constexpr uint32_t kFar = 65535;
    const size_t w = static_cast<size_t>(width_);
    clearance_.assign(w * static_cast<size_t>(height_), kFar);
    auto relax = [&](size_t i, uint32_t neighbour) {
      const uint32_t d = std::min(neighbour + 1, kFar);
      if (d < clearance_[i]) clearance_[i] = static_cast<uint16_t>(d);
    };
    for (size_t y = 0; y < static_cast<size_t>(height_); ++y) {
      const int32_t* transparency = transparency_[y];
      for (size_t x = 0; x < w; ++x) {
        const size_t i = y * w + x;
        if (transparency[x] <= kSourceAtMost) {
          clearance_[i] = 0;
          continue;
        }
        if (x > 0) relax(i, clearance_[i - 1]);
        if (y > 0) {
          relax(i, clearance_[i - w]);
          if (x > 0) relax(i, clearance_[i - w - 1]);
          if (x + 1 < w) relax(i, clearance_[i - w + 1]);
        }
      }
    }
    for (size_t y = static_cast<size_t>(height_); y-- > 0;) {
      for (size_t x = w; x-- > 0;) {
        const size_t i = y * w + x;
        if (x + 1 < w) relax(i, clearance_[i + 1]);
        if (y + 1 < static_cast<size_t>(height_)) {
          relax(i, clearance_[i + w]);
          if (x > 0) relax(i, clearance_[i + w - 1]);
          if (x + 1 < w) relax(i, clearance_[i + w + 1]);
        }
      }
    }
  }

  // The row interpolation estimated in double precision with four
  // independent partial sums, two at a time, which is several times faster
  // than the exact sums in extended precision, whose order is fixed. Both lie within
  // (max |v| + 1) x (width + 4) x 2^-50 of the true weighted mean, so when the
  // estimate is farther than four times that from a rounding boundary both
  // round alike and the estimate is written. Returns false (nothing written)
  // when the exact sums must decide, or when no source was met.
  bool QuickRow(int32_t x, int32_t y) {
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
  void PrepareRow(int32_t y) {
    const int32_t* transparency = transparency_[static_cast<size_t>(y)];
    rowLargest_ = 0;
    rowHasSource_ = false;
    for (int32_t i = 0; i < width_; ++i) {
      const bool source = transparency[i] <= kSourceAtMost;
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
  void InterpolateRow(int32_t x, int32_t y, long double& w, std::array<long double, NP>& s) const {
    if (x == 0 || x == width_ - 1) return;
    if (y == preparedRow_ && !rowHasSource_) return;  // a fully transparent row: nothing to collect
    const int32_t* transparency = transparency_[static_cast<size_t>(y)];
    std::array<const int32_t*, NP> values;
    for (size_t p = 0; p < NP; ++p) values[p] = planes_[p][static_cast<size_t>(y)];
    const long double* weight = weights_.data();
    for (int32_t i = x - 1; i >= 0; --i) {
      if (transparency[i] > kSourceAtMost) continue;
      const long double wi = weight[x - i];
      w += wi;
      for (size_t p = 0; p < NP; ++p) s[p] += values[p][i] * wi;
    }
    for (int32_t i = x + 1; i < width_; ++i) {
      if (transparency[i] > kSourceAtMost) continue;
      const long double wi = weight[i - x];
      w += wi;
      for (size_t p = 0; p < NP; ++p) s[p] += values[p][i] * wi;
    }
  }

  // A coordinate of sample k of a ray: float(base + r x direction) with r =
  // distances_[k], as worked out in extended precision. The double result v
  // lies within positionError_ of the extended one, so when both ends of
  // that interval round to the same float (rounding is monotonic) the
  // extended value rounds to it too. (The bound is several times the error
  // of v, which leaves room for the rounding of the two ends themselves.)
  float Coordinate(int32_t base, double direction, const long double* directionL, size_t k) const {
    const double v = base + distancesD_[k] * direction;
    const float low = static_cast<float>(v - positionError_), high = static_cast<float>(v + positionError_);
    if (low == high) return low;
    return ExactCoordinate(base, directionL, k);
  }

  [[gnu::noinline]] float ExactCoordinate(int32_t base, const long double* direction, size_t k) const {
    return static_cast<float>(static_cast<long double>(base) + distances_[k] * *direction);
  }

  // The index of the first sample at or beyond distance `stop`: a ray runs
  // while r < stop, that is while its sample index is below this.
  size_t StopIndex(long double stop) const {
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
  size_t SkippableAfter(uint32_t clear) const {
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
  // What one ray collected: its points in collected_[0 .. collected), the
  // index of the sample it ended at, and its first collected distance F.
  struct TRayWalk {
    size_t collected = 0;
    size_t end = 0;
    bool firstSet = false;
    bool reached = false;
  };

  template <TRoutine K, bool edgeStop = true>
  bool CastRays(int32_t x, int32_t y, long double& w, std::array<long double, NP>& s, TWalker& walker) {
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
  template <TRoutine K, bool edgeStop>
  [[gnu::noinline]] TRayWalk WalkRay(int32_t x, int32_t y, size_t ray, TWalker& walker) {
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
      const uint8_t block = in ? blocks_[cell()] : kMixedBlock;
      if (block >= kClearBlock) {
        const uint32_t clear = block == kClearCapped ? clearance_[cell()] : block - kClearBlock;
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
      if (block == kMixedBlock) {
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
  [[gnu::noinline]] static void SetContourBounds(int32_t c0, int64_t& low, int64_t& high) {
    low = static_cast<int64_t>(std::ceil(c0 / kContourSpread));
    high = static_cast<int64_t>(std::floor(c0 * kContourSpread));
  }

  // The same from a table for the usual contour values: the library's
  // rounding switches the rounding mode of the floating-point unit, which
  // stalls it, once per ray.
  void ContourBounds(int32_t c0, int64_t& low, int64_t& high) const {
    if (c0 >= 0 && static_cast<size_t>(c0) < contourBounds_.size()) {
      low = contourBounds_[static_cast<size_t>(c0)].first;
      high = contourBounds_[static_cast<size_t>(c0)].second;
      return;
    }
    SetContourBounds(c0, low, high);
  }

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
  size_t belowMaxSide_ = 0;            // samples closer than max(width, height)
  int64_t contourLimitWhole_ = 0;      // floor(4 x mean contour)
  double positionError_ = 0, skipStep_ = 1;
  // Per pixel, for a sample inside the page whose truncated position it is:
  // all four neighbours opaque enough (a source, next to no target), some
  // (to be worked out), or none: kClearBlock + the clearance of the pixel,
  // counted up to kClearMost.
  static constexpr uint8_t kOpaqueBlock = 0, kMixedBlock = 1, kClearBlock = 2;
  static constexpr uint32_t kClearMost = 255 - kClearBlock;
  static constexpr uint8_t kClearCapped = kClearBlock + kClearMost;
  std::vector<uint8_t> blocks_;
  // Per pixel: the distance (the larger of the row and column distances,
  // at most 65535) to the nearest pixel of transparency <= 12; the walk
  // reads it where the block holds kClearCapped, so that a ray over a wide
  // transparent stretch skips as far as it can.
  std::vector<uint16_t> clearance_;
  // Row interpolation estimate (QuickRow).
  std::vector<double> kernel_, rowSources_;
  std::array<std::vector<double>, NP> rowValues_;
  double rowLargest_ = 0;
  bool rowHasSource_ = false;
  int32_t preparedRow_ = -1;
};

// The common driver of both scans; planes[0] is the scan's main raster.
template <size_t NP, class MarkFailed>
void SmearPlanes(TDrovixMangaScan& scan, const std::array<TDrovixGraph*, NP>& planes, MarkFailed markFailed) {
  if (scan.TransparentCount <= 0 || scan.Transparency == nullptr || scan.Width() == 0) return;
  TSmear method = scan.SmearPower == 0 ? SDRAFT : scan.SmearMethod;
  if (method == SPATTERN) {
    ConsoleWrite(Ru(".замазываю по узору.."));
    SmearPattern(scan, std::span<TDrovixGraph* const>(planes), markFailed);
    return;
  }
  if (method > SSELECTIVE) method = STRICKY;
  const TSmearParams& params = kSmearParams[method];

  // At least one ray: a fan of none would never end (the angle step would be
  // infinite or negative). Powers of the script's range never come near.
  const long double rays =
      std::nearbyint(static_cast<long double>(params.rayFactor) * (scan.SmearPower + 3.0L));
  const int32_t rayCount = static_cast<int32_t>(std::clamp(rays, 1.0L, 1000000.0L));

  long double meanContour = 0;
  if (params.contourRadius > 0) {
    scan.ComputeContours(params.contourRadius);
  }
  TSmearer<NP> smearer(scan, planes);
  if (params.contourRadius > 0) meanContour = smearer.MeanContour();

  switch (params.routine) {
    case TRoutine::kRowInterpolation:
      ConsoleWrite(Ru(".замазываю наспех.."));
      break;
    case TRoutine::kRayCasting:
      ConsoleWrite(Ru(".замазываю.."));
      break;
    default:
      ConsoleWrite(Ru(".замазываю вдумчиво.."));
      break;
  }
  // Bands of rows are refilled side by side on the cores no other page holds.
  const int32_t forced = forcedThreads.load();
  const TCoreLease helpers(forced > 0 || params.routine == TRoutine::kRowInterpolation ? 0 : ProcessorCount() - 1);
  smearer.Run(params, rayCount, meanContour, forced > 0 ? forced : 1 + helpers.Count(), forced > 0, markFailed);
}

}  // namespace

void SetSmearThreadsForTesting(int32_t threads) { forcedThreads.store(std::max(threads, 0)); }

void TDrovixMangaScan::Smear() {
  SmearPlanes<1>(*this, {this}, [this](int32_t y, int32_t x) { RowPtr(y)[x] = 255 * ErrorPatternBit(y, x); });
}

void TDrovixColorMangaScan::Smear() {
  SmearPlanes<3>(*this, {this, GreenPlane.get(), RedPlane.get()}, [this](int32_t y, int32_t x) {
    const int32_t blue = 255 * ErrorPatternBit(y, x);
    RowPtr(y)[x] = blue;
    GreenPlane->RowPtr(y)[x] = 0;
    RedPlane->RowPtr(y)[x] = 255 - blue;
  });
}

}  // namespace drovix

// Bands of rows refilled side by side on several threads and mended where
// they met, so that the page comes out as refilling every target one after
// another gives.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "driver/console/Console.h"
#include "drovix_graph/raster/ParallelRows.h"
#include "drovix_graph/scan/smear/TSmearer.h"

namespace drovix {
namespace {

// Below this many targets x rays a page is refilled by one thread: starting
// more costs more than it saves.
constexpr int64_t kFewRays = 200000;
// A band starts at the row with the fewest targets within this many rows.
constexpr int32_t kBandMargin = 8;

// The first rows of the bands the page is split into, one per thread,
// each with about as many targets; a band starts where few targets lie
// near its first row, so that few rays reach into the band above.
// below[y]: the targets in the rows above row y (y = 0 .. height).
template <size_t NP>
inline std::vector<int32_t> TSmearer<NP>::BandStarts(int32_t threads,
                                                     const std::vector<int64_t>& below) const {
  const int64_t total = below.back();
  std::vector<int32_t> starts{0};
  if (threads <= 1 || (!forcedBands_ && total * static_cast<int64_t>(sines_.size()) < kFewRays))
    return starts;
  const auto near = [&](int32_t y) {
    const int32_t lo = std::max(0, y - kBandMargin), hi = std::min(height_, y + kBandMargin);
    return below[static_cast<size_t>(hi)] - below[static_cast<size_t>(lo)];
  };
  for (int32_t k = 1; k < threads; ++k) {
    // The row that splits the targets k : (threads - k), then the row
    // with the fewest targets near it within a twentieth of the page.
    const int64_t wanted = total * k / threads;
    const int32_t ideal =
        static_cast<int32_t>(std::lower_bound(below.begin(), below.end(), wanted) - below.begin());
    const int32_t window = height_ / 20;
    int32_t best = ideal;
    for (int32_t y = std::max(ideal - window, starts.back() + 1); y <= std::min(ideal + window, height_ - 1);
         ++y)
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
template <size_t NP>
template <class MarkFailed>
inline auto TSmearer<NP>::RunBands(int32_t threads, const std::vector<TPixel>* list, MarkFailed& markFailed)
    -> std::vector<TPixel> {
  std::vector<int64_t> below(static_cast<size_t>(height_) + 1, 0);  // targets in the rows above y
  if (list == nullptr) {
    for (int32_t y = 0; y < height_; ++y) {
      const int32_t* transparency = transparency_[static_cast<size_t>(y)];
      int64_t n = 0;
      for (int32_t x = 0; x < width_; ++x) n += transparency[x] > kSmearTargetAbove;
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
        if (transparency[x] <= kSmearTargetAbove) continue;
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
template <size_t NP>
inline int32_t TSmearer<NP>::NeighbourValue(size_t p, size_t row, size_t column, TWalker& walker) const {
  const size_t index = row * static_cast<size_t>(width_) + column;
  // Refilled in this pass: any target in the first, the listed ones in the second.
  const bool refilled =
      members_.empty() ? transparency_[row][column] > kSmearTargetAbove : members_[index] != 0;
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

}  // namespace
}  // namespace drovix

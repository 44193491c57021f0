// The distance field of a region: the window of distances each region pixel
// offers around it, and the inner depths for layers of negative thickness.
#include "drovix_graph/scan/DistanceField.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "driver/console/Console.h"
#include "driver/console/Interrupt.h"
#include "drovix_graph/raster/Rounding.h"

namespace drovix {
namespace {

// Region pixels hold less than 100 (a sound's rim weight, a text's ink
// weight); a pixel outside holds 100 or more once its distance is known.
constexpr int32_t kRegionLimit = 100;
// A long step looks for a stop request after this many rows.
constexpr int32_t kRowsBetweenStops = 256;

// round(100 * sqrt(d2)), in extended precision as everywhere in the field.
inline int32_t HundredthsOf(int64_t d2) {
  return RoundUnchecked(100 * std::sqrt(static_cast<long double>(d2)));
}

// round(100 * sqrt(d2)) for every d2 up to a bound, from a table when the
// bound is small enough to make one worth it.
class THundredths {
 public:
  explicit THundredths(int64_t maxD2) {
    if (maxD2 > kMaxTable) return;
    table_.resize(static_cast<size_t>(maxD2) + 1);
    for (int64_t d2 = 0; d2 <= maxD2; ++d2) table_[static_cast<size_t>(d2)] = HundredthsOf(d2);
  }
  int32_t operator()(int64_t d2) const {
    return table_.empty() ? HundredthsOf(d2) : table_[static_cast<size_t>(d2)];
  }

 private:
  static constexpr int64_t kMaxTable = int64_t{1} << 22;
  std::vector<int32_t> table_;
};

// The lower envelope of the parabolas (u - at)^2 + c, added with growing at;
// asked at growing u. Each parabola holds the envelope from its start on.
class TParabolaEnvelope {
 public:
  // Room for n parabolas between two Clear calls.
  void Reserve(size_t n) {
    if (parabolas_.size() < n) parabolas_.resize(n);
  }
  void Clear() {
    size_ = 0;
    asked_ = 0;
  }
  void Add(int64_t at, int64_t c) {
    int64_t start = INT64_MIN;
    while (size_ > 0) {
      const TParabola& last = parabolas_[size_ - 1];
      // The first whole u at which the new parabola is as low as the last.
      const int64_t num = at * at + c - last.At * last.At - last.C;
      const int64_t den = 2 * (at - last.At);
      start = num >= 0 ? (num + den - 1) / den : -((-num) / den);
      if (start > last.Start) break;
      --size_;
      start = INT64_MIN;
    }
    parabolas_[size_++] = TParabola{at, c, start};
    if (asked_ >= size_) asked_ = size_ - 1;
  }
  // The envelope at u, or -1 when it is empty.
  int64_t At(int64_t u) {
    if (size_ == 0) return -1;
    while (asked_ + 1 < size_ && parabolas_[asked_ + 1].Start <= u) ++asked_;
    const int64_t d = u - parabolas_[asked_].At;
    return d * d + parabolas_[asked_].C;
  }

 private:
  struct TParabola {
    int64_t At, C, Start;
  };
  std::vector<TParabola> parabolas_;
  size_t size_ = 0, asked_ = 0;
};

// out[x] = the smallest (x - x')^2 + g[x']^2 over |x - x'| <= r with
// g[x'] < none, or -1 when there is none, for a row of n. The row is cut
// into blocks of 2r + 1: the window of x is the end of the block holding
// x - r and the beginning of the one holding x + r, and the envelopes of
// the block beginnings (swept rightwards) and ends (leftwards) give both.
void WindowedRowMinimum(const int32_t* g, int32_t n, int32_t r, int32_t none, int64_t* out,
                        TParabolaEnvelope& envelope) {
  const int64_t block = 2 * static_cast<int64_t>(r) + 1;
  envelope.Reserve(static_cast<size_t>(n));
  envelope.Clear();
  for (int64_t e = 0; e < n + static_cast<int64_t>(r); ++e) {
    if (e % block == 0) envelope.Clear();
    if (e < n && g[e] < none) envelope.Add(e, static_cast<int64_t>(g[e]) * g[e]);
    const int64_t x = e - r;
    if (x >= 0 && x < n) out[x] = envelope.At(x);
  }
  // Leftwards in mirrored positions -x, so that the envelope still grows.
  envelope.Clear();
  for (int64_t s = n - 1; s >= -static_cast<int64_t>(r); --s) {
    if ((s + 1) % block == 0) envelope.Clear();
    if (s >= 0 && g[s] < none) envelope.Add(-s, static_cast<int64_t>(g[s]) * g[s]);
    const int64_t x = s + r;
    if (x >= 0 && x < n) {
      const int64_t v = envelope.At(-x);
      if (v >= 0 && (out[x] < 0 || v < out[x])) out[x] = v;
    }
  }
}

// Each region pixel of the bounding box, in rows from the top and left to
// right within a row, offers own + round(100 distance) to every pixel within
// r rows and r columns that lies above 99; an offer that takes a pixel below
// 100 makes it a region pixel for the rest of the sweep (when it lies in the
// box and later in the sweep).
//
// Only a weight below 0 offers less than 100, and only within a few pixels,
// so the sweep is done in two steps. First the region pixels below 0, in
// sweep order, make their offers below 100 ("takes"; a pixel taken keeps that
// offer, later offers pass it by). Then every other pixel above 99 ends at
// the smallest offer, whose order no longer matters:
//   min over p of own(p) + R(|p - q|^2) = min over weights v of v + R(D_v(q))
// with D_v the squared distance to the nearest region pixel of weight v in
// the window and R monotone. D_v is an exact windowed Euclidean distance
// transform in two passes: the distance within the column, then the lower
// envelope of parabolas along the row.
//
// Only region pixels next to one that is not, or next to one weighing more
// than theirs + 99, are swept: one step from a region pixel p towards q
// (diagonal when q lies off p's row and column) brings it at least a pixel
// closer, 99 or more off R, so the neighbour offers as little.
void OfferFromRegion(TDrovixMangaScan& scan, int32_t r) {
  const int32_t h = scan.Height(), w = scan.Width();
  TDrovixGraph& mask = *scan.FillMask;
  const int32_t minX = scan.MinX, maxX = scan.MaxX, minY = scan.MinY, maxY = scan.MaxY;
  // No window reaches further than the page.
  const int32_t reach = std::min(r, std::max(h, w));

  // Pixels taken into the region after the sweep passed them: below 100, yet
  // they offer nothing.
  std::vector<int64_t> late;
  auto index = [w](int32_t y, int32_t x) { return static_cast<int64_t>(y) * w + x; };
  for (int32_t y = minY; y <= maxY; ++y) {
    if ((y - minY) % kRowsBetweenStops == kRowsBetweenStops - 1) CheckForStop();
    for (int32_t x = minX; x <= maxX; ++x) {
      const int32_t own = mask.RowPtr(y)[x];
      if (own >= 0) continue;
      // 100 |dy| and 100 |dx| are at most the offset's R.
      const int32_t near =
          static_cast<int32_t>(std::min<int64_t>(reach, (100 - static_cast<int64_t>(own)) / 100));
      for (int32_t qy = std::max(0, y - near); qy <= std::min(h - 1, y + near); ++qy) {
        int32_t* q = mask.RowPtr(qy);
        for (int32_t qx = std::max(0, x - near); qx <= std::min(w - 1, x + near); ++qx) {
          if (q[qx] < kRegionLimit) continue;
          const int64_t d2 =
              static_cast<int64_t>(qy - y) * (qy - y) + static_cast<int64_t>(qx - x) * (qx - x);
          const int32_t offer = own + HundredthsOf(d2);
          if (offer >= kRegionLimit) continue;
          q[qx] = offer;
          if (qy >= minY && qy <= maxY && qx >= minX && qx <= maxX && index(qy, qx) < index(y, x))
            late.push_back(index(qy, qx));
        }
      }
    }
  }
  std::sort(late.begin(), late.end());
  auto isLate = [&](int32_t y, int32_t x) {
    return !late.empty() && std::binary_search(late.begin(), late.end(), index(y, x));
  };
  // The weight a pixel offers with, or kRegionLimit when it offers nothing.
  auto weightOf = [&](int32_t y, int32_t x) {
    if (y < minY || y > maxY || x < minX || x > maxX) return kRegionLimit;
    const int32_t v = mask.RowPtr(y)[x];
    return v < kRegionLimit && !isLate(y, x) ? v : kRegionLimit;
  };

  // Bounding boxes of the edge pixels of every weight.
  struct TBox {
    int32_t y0 = INT32_MAX, y1 = INT32_MIN, x0 = INT32_MAX, x1 = INT32_MIN;
  };
  std::map<int32_t, TBox> boxes;
  for (int32_t y = minY; y <= maxY; ++y) {
    for (int32_t x = minX; x <= maxX; ++x) {
      const int32_t v = weightOf(y, x);
      if (v >= kRegionLimit) continue;
      bool edge = false;
      for (int32_t dy = -1; dy <= 1 && !edge; ++dy)
        for (int32_t dx = -1; dx <= 1 && !edge; ++dx) {
          const int32_t ny = y + dy, nx = x + dx;
          if (ny < 0 || ny >= h || nx < 0 || nx >= w) continue;
          const int32_t n = weightOf(ny, nx);
          edge = n >= kRegionLimit || static_cast<int64_t>(n) - v > 99;
        }
      if (!edge) continue;
      TBox& b = boxes[v];
      b.y0 = std::min(b.y0, y);
      b.y1 = std::max(b.y1, y);
      b.x0 = std::min(b.x0, x);
      b.x1 = std::max(b.x1, x);
    }
  }

  const THundredths hundredths(
      std::min(2 * static_cast<int64_t>(reach) * reach,
               static_cast<int64_t>(h - 1) * (h - 1) + static_cast<int64_t>(w - 1) * (w - 1)));
  const int32_t none = reach + 1;
  std::vector<int32_t> column;
  std::vector<int64_t> nearest(static_cast<size_t>(w));
  TParabolaEnvelope envelope;
  for (const auto& [v, b] : boxes) {
    CheckForStop();
    // The pixels of weight v in the edge pixels' box (the others lie inside
    // the region and offer nothing new), and every pixel within reach.
    const int32_t y0 = std::max(0, b.y0 - reach), y1 = std::min(h - 1, b.y1 + reach);
    const int32_t x0 = std::max(0, b.x0 - reach), x1 = std::min(w - 1, b.x1 + reach);
    const int32_t cw = x1 - x0 + 1;
    column.assign(static_cast<size_t>(y1 - y0 + 1) * cw, none);
    // Rows to the nearest pixel of weight v in the column, or `none` beyond
    // reach: downwards, then upwards.
    for (int32_t y = y0; y <= y1; ++y) {
      int32_t* g = &column[static_cast<size_t>(y - y0) * cw];
      const int32_t* above = y > y0 ? g - cw : nullptr;
      const int32_t* row = mask.RowPtr(y);
      const bool inBox = y >= b.y0 && y <= b.y1;
      for (int32_t x = x0; x <= x1; ++x) {
        int32_t d = above ? std::min(above[x - x0] + 1, none) : none;
        if (inBox && x >= b.x0 && x <= b.x1 && row[x] == v && !isLate(y, x)) d = 0;
        g[x - x0] = d;
      }
    }
    for (int32_t y = y1 - 1; y >= y0; --y) {
      int32_t* g = &column[static_cast<size_t>(y - y0) * cw];
      const int32_t* below = g + cw;
      for (int32_t x = 0; x < cw; ++x) g[x] = std::min(g[x], std::min(below[x] + 1, none));
    }
    for (int32_t y = y0; y <= y1; ++y) {
      if ((y - y0) % kRowsBetweenStops == kRowsBetweenStops - 1) CheckForStop();
      WindowedRowMinimum(&column[static_cast<size_t>(y - y0) * cw], cw, reach, none, nearest.data(),
                         envelope);
      int32_t* row = mask.RowPtr(y) + x0;
      for (int32_t x = 0; x < cw; ++x) {
        // Region pixels and pixels taken are never lowered.
        if (nearest[static_cast<size_t>(x)] < 0 || row[x] < kRegionLimit) continue;
        const int32_t offer = v + hundredths(nearest[static_cast<size_t>(x)]);
        if (offer < row[x]) row[x] = offer;
      }
    }
  }
}

}  // namespace

// Extends the distance field of the region in FillMask to radius r pixels and
// widens the bounding box to match. Each region pixel offers its rim weight
// plus its distance to every pixel within r rows and r columns; an outside
// pixel keeps the smallest offer.
void ExtendDistanceField(TDrovixMangaScan& scan, int32_t r) {
  if (r < scan.FillGradient) return;
  const int32_t h = scan.Height(), w = scan.Width();
  if (scan.MinY > scan.MaxY || scan.MinX > scan.MaxX) return;  // no region at all
  const int32_t d = r - scan.FillGradient;
  scan.MinX = std::max(0, scan.MinX - d);
  scan.MinY = std::max(0, scan.MinY - d);
  scan.MaxX = std::min(w - 1, scan.MaxX + d);
  scan.MaxY = std::min(h - 1, scan.MaxY + d);

  OfferFromRegion(scan, r);
  scan.FillGradient = r;
  ConsoleWriteRaw(".");
}

// Gives region pixels a negative depth, so that a layer of negative
// thickness draws an inset of the shape. Each region pixel looks on widening
// diamond rings for pixels just outside the region (100..200); the first one
// found, at distance e, limits the search to ring round(1.6 e). The best offer
// is the largest mask(q) - 100 |p - q|, -10000 when there is none.
//
// A pixel whose first ring with such a pixel is ring 15 or further (e at
// least 10.6) does not search: every pixel that could beat the first one
// found lies within e + 1.01 of the region pixel, so on ring
// sqrt(2) (e + 1.01) or nearer, inside the limit, and the best offer is the
// largest over the whole box, computed at once for all such pixels per
// weight from the distance transform of the band pixels of that weight. The
// first ring of every pixel comes from a two-pass city-block distance
// transform. Offers go only to region pixels and no
// pixel leaves or joins the 100..200 band, so the order does not matter.
void ComputeInnerDistances(TDrovixMangaScan& scan) {
  TDrovixGraph& mask = *scan.FillMask;
  const int32_t minX = scan.MinX, maxX = scan.MaxX, minY = scan.MinY, maxY = scan.MaxY;
  if (minY > maxY || minX > maxX) return;
  const int32_t bh = maxY - minY + 1, bw = maxX - minX + 1;
  constexpr int32_t kFirstRingLimit = 100, kSearchedRings = 15;
  auto inBand = [](int32_t v) { return v >= 100 && v <= 200; };
  auto at = [bw](int32_t y, int32_t x) { return static_cast<size_t>(y) * bw + x; };

  // The first ring around each pixel of the box that holds a band pixel.
  std::vector<int32_t> ring(static_cast<size_t>(bh) * bw);
  for (int32_t y = 0; y < bh; ++y) {
    const int32_t* row = mask.RowPtr(minY + y);
    for (int32_t x = 0; x < bw; ++x) {
      int32_t d = kFirstRingLimit + 1;
      if (inBand(row[minX + x])) d = 0;
      if (y > 0) d = std::min(d, ring[at(y - 1, x)] + 1);
      if (x > 0) d = std::min(d, ring[at(y, x - 1)] + 1);
      ring[at(y, x)] = d;
    }
  }
  bool anyDeep = false;
  for (int32_t y = bh - 1; y >= 0; --y) {
    const int32_t* row = mask.RowPtr(minY + y);
    for (int32_t x = bw - 1; x >= 0; --x) {
      int32_t d = ring[at(y, x)];
      if (y + 1 < bh) d = std::min(d, ring[at(y + 1, x)] + 1);
      if (x + 1 < bw) d = std::min(d, ring[at(y, x + 1)] + 1);
      ring[at(y, x)] = d;
      anyDeep = anyDeep || (row[minX + x] < kRegionLimit && d >= kSearchedRings && d <= kFirstRingLimit);
    }
  }

  // The best offer from the whole box, for the pixels that do not search.
  std::vector<int32_t> deepBest;
  if (anyDeep) {
    deepBest.assign(static_cast<size_t>(bh) * bw, INT32_MIN);
    // Bounding boxes of the band pixels of every weight that a neighbour
    // nearer the target does not beat: one next to a pixel out of the band,
    // or next to one weighing less than theirs - 99.
    struct TBox {
      int32_t y0 = INT32_MAX, y1 = INT32_MIN, x0 = INT32_MAX, x1 = INT32_MIN;
    };
    std::array<TBox, 101> boxes;
    for (int32_t y = 0; y < bh; ++y)
      for (int32_t x = 0; x < bw; ++x) {
        const int32_t v = mask.RowPtr(minY + y)[minX + x];
        if (!inBand(v)) continue;
        bool edge = false;
        for (int32_t dy = -1; dy <= 1 && !edge; ++dy)
          for (int32_t dx = -1; dx <= 1 && !edge; ++dx) {
            const int32_t ny = y + dy, nx = x + dx;
            if (ny < 0 || ny >= bh || nx < 0 || nx >= bw) continue;
            const int32_t n = mask.RowPtr(minY + ny)[minX + nx];
            edge = !inBand(n) || n < v - 99;
          }
        if (!edge) continue;
        TBox& b = boxes[static_cast<size_t>(v - 100)];
        b.y0 = std::min(b.y0, y);
        b.y1 = std::max(b.y1, y);
        b.x0 = std::min(b.x0, x);
        b.x1 = std::max(b.x1, x);
      }
    const THundredths hundredths(static_cast<int64_t>(bh - 1) * (bh - 1) +
                                 static_cast<int64_t>(bw - 1) * (bw - 1));
    const int32_t none = bh + 1;
    std::vector<int32_t> column(static_cast<size_t>(bh) * bw);
    std::vector<int64_t> nearest(static_cast<size_t>(bw));
    TParabolaEnvelope envelope;
    for (int32_t v = 100; v <= 200; ++v) {
      const TBox& b = boxes[static_cast<size_t>(v - 100)];
      if (b.y0 > b.y1) continue;
      CheckForStop();
      for (int32_t y = 0; y < bh; ++y) {
        const int32_t* row = mask.RowPtr(minY + y) + minX;
        const bool inBox = y >= b.y0 && y <= b.y1;
        for (int32_t x = 0; x < bw; ++x) {
          int32_t d = y > 0 ? std::min(column[at(y - 1, x)] + 1, none) : none;
          if (inBox && x >= b.x0 && x <= b.x1 && row[x] == v) d = 0;
          column[at(y, x)] = d;
        }
      }
      for (int32_t y = bh - 2; y >= 0; --y)
        for (int32_t x = 0; x < bw; ++x)
          column[at(y, x)] = std::min(column[at(y, x)], column[at(y + 1, x)] + 1);
      for (int32_t y = 0; y < bh; ++y) {
        if (y % kRowsBetweenStops == kRowsBetweenStops - 1) CheckForStop();
        // A window as wide as the box: every column counts.
        WindowedRowMinimum(&column[at(y, 0)], bw, bw, none, nearest.data(), envelope);
        for (int32_t x = 0; x < bw; ++x) {
          if (nearest[static_cast<size_t>(x)] < 0) continue;
          int32_t& best = deepBest[at(y, x)];
          best = std::max(best, v - hundredths(nearest[static_cast<size_t>(x)]));
        }
      }
    }
  }

  for (int32_t y = minY; y <= maxY; ++y) {
    CheckForStop();
    int32_t* row = mask.RowPtr(y);
    for (int32_t x = minX; x <= maxX; ++x) {
      if (row[x] >= kRegionLimit) continue;
      const int32_t first = ring[at(y - minY, x - minX)];
      int32_t best = -10000;
      if (first > kFirstRingLimit) {
        // No band pixel on the rings searched.
      } else if (first >= kSearchedRings) {
        best = deepBest[at(y - minY, x - minX)];
      } else {
        bool found = false;
        int32_t last = kFirstRingLimit;
        for (int32_t i = first; i <= last; ++i) {
          const int32_t dyFrom = std::max(-i, minY - y), dyTo = std::min(i, maxY - y);
          for (int32_t dy = dyFrom; dy <= dyTo; ++dy) {
            const int32_t* q = mask.RowPtr(y + dy);
            const int32_t rest = i - (dy < 0 ? -dy : dy);
            for (int32_t side = 0; side < (rest == 0 ? 1 : 2); ++side) {
              const int32_t qx = side == 0 ? x - rest : x + rest;
              if (qx < minX || qx > maxX) continue;
              const int32_t v = q[qx];
              if (v < 100 || v > 200) continue;
              const long double e = std::sqrt(static_cast<long double>(dy * dy + rest * rest));
              if (!found) {
                found = true;
                last = RoundUnchecked(1.6L * e);
              }
              const int32_t offer = v - RoundUnchecked(100 * e);
              if (offer > best) best = offer;
            }
          }
        }
      }
      if (best < row[x]) row[x] = best;
    }
  }
}

}  // namespace drovix

// The distance field of a region: the window of distances each region pixel
// offers around it, and the inner depths for layers of negative thickness.
#include "drovix_graph/scan/DistanceField.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
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

// q[i] = min(q[i], dist[i] + own) for every q[i] above 99, for n pixels.
// Blocks of 8 are written so that the compiler turns them into vector code.
inline void OfferToRow(int32_t* __restrict q, const int32_t* __restrict dist, int32_t n, int32_t own) {
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    int32_t v[8], offer[8];
    for (int32_t k = 0; k < 8; ++k) {
      v[k] = q[i + k];
      offer[k] = dist[i + k] + own;
    }
    for (int32_t k = 0; k < 8; ++k) {
      const int32_t take = -static_cast<int32_t>((v[k] > 99) & (offer[k] < v[k]));
      q[i + k] = v[k] ^ ((v[k] ^ offer[k]) & take);
    }
  }
  for (; i < n; ++i) {
    const int32_t offer = dist[i] + own;
    if (q[i] > 99 && offer < q[i]) q[i] = offer;
  }
}

// round(100 * sqrt(d2)), in extended precision as everywhere in the field.
inline int32_t HundredthsOf(int64_t d2) { return RoundUnchecked(100 * std::sqrt(static_cast<long double>(d2))); }

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

// Each region pixel of the bounding box offers own + round(100 distance)
// to every pixel within r rows and r columns that lies above 99; an offer
// that takes a pixel below 100 (only a negative weight can) makes it a
// region pixel for the rest of the sweep. Costs r^2 per region pixel near
// an edge: the general path, for weights below 0.
void OfferEveryWindow(TDrovixMangaScan& scan, int32_t r) {
  const int32_t h = scan.Height(), w = scan.Width();
  // round(100 * distance) for every offset of the window, row by row.
  const int32_t side = 2 * r + 1;
  std::vector<int32_t> table(static_cast<size_t>(side) * side);
  for (int32_t dy = -r; dy <= r; ++dy)
    for (int32_t dx = -r; dx <= r; ++dx)
      table[static_cast<size_t>(dy + r) * side + (dx + r)] =
          RoundUnchecked(100 * std::sqrt(static_cast<long double>(dy * dy + dx * dx)));

  TDrovixGraph& mask = *scan.FillMask;
  // Pixels a region pixel can offer to lie above 99, and values only go
  // down, so a region pixel whose whole window is below 100 at the start has
  // nothing to offer; a summed-area count of the pixels above 99 finds them.
  const int32_t sy0 = std::max(0, scan.MinY - r), sy1 = std::min(h - 1, scan.MaxY + r);
  const int32_t sx0 = std::max(0, scan.MinX - r), sx1 = std::min(w - 1, scan.MaxX + r);
  const size_t sw = static_cast<size_t>(sx1 - sx0 + 2);
  std::vector<int32_t> open(static_cast<size_t>(sy1 - sy0 + 2) * sw);
  for (int32_t y = sy0; y <= sy1; ++y) {
    const int32_t* row = mask.RowPtr(y);
    int32_t* above = &open[static_cast<size_t>(y - sy0) * sw];
    int32_t* here = above + sw;
    int32_t count = 0;
    for (int32_t x = sx0; x <= sx1; ++x) {
      count += row[x] > 99;
      here[x - sx0 + 1] = above[x - sx0 + 1] + count;
    }
  }
  auto openIn = [&](int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
    const int32_t* top = &open[static_cast<size_t>(y0 - sy0) * sw];
    const int32_t* bottom = &open[static_cast<size_t>(y1 - sy0 + 1) * sw];
    return bottom[x1 - sx0 + 1] - bottom[x0 - sx0] - top[x1 - sx0 + 1] + top[x0 - sx0];
  };

  for (int32_t y = scan.MinY; y <= scan.MaxY; ++y) {
    if ((y - scan.MinY) % kRowsBetweenStops == kRowsBetweenStops - 1) CheckForStop();
    for (int32_t x = scan.MinX; x <= scan.MaxX; ++x) {
      // Region pixels are never lowered (offers go only to pixels above 99).
      const int32_t own = mask.RowPtr(y)[x];
      if (own >= kRegionLimit) continue;
      const int32_t x0 = std::max(0, x - r), x1 = std::min(w - 1, x + r);
      const int32_t y0 = std::max(0, y - r), y1 = std::min(h - 1, y + r);
      if (openIn(y0, x0, y1, x1) == 0) continue;
      for (int32_t qy = y0; qy <= y1; ++qy)
        OfferToRow(mask.RowPtr(qy) + x0,
                   &table[static_cast<size_t>(qy - y + r) * side + static_cast<size_t>(x0 - x + r)],
                   x1 - x0 + 1, own);
    }
  }
}

// The same offers when every region pixel of the box weighs 0 .. 99: no
// offer then goes below 100, so the order of the offers does not matter and
// every pixel above 99 ends at the smallest offer (or its own value), and
//   min over p of own(p) + R(|p - q|^2) = min over weights v of v + R(D_v(q))
// with D_v the squared distance to the nearest region pixel of weight v in
// the window, R monotone. D_v is an exact windowed Euclidean distance
// transform in two passes: the distance within the column, then the lower
// envelope of parabolas along the row.
//
// Only region pixels next to a pixel that is not one matter: one step from
// a region pixel p towards q (diagonal when q lies off p's row and column)
// brings it at least a pixel closer, 99 or more off R, and its weight
// exceeds p's by at most 99, so that neighbour offers as little.
void OfferByWeights(TDrovixMangaScan& scan, int32_t r) {
  const int32_t h = scan.Height(), w = scan.Width();
  TDrovixGraph& mask = *scan.FillMask;
  const int32_t minX = scan.MinX, maxX = scan.MaxX, minY = scan.MinY, maxY = scan.MaxY;
  auto isRegion = [&](int32_t y, int32_t x) {
    return y >= minY && y <= maxY && x >= minX && x <= maxX && mask.RowPtr(y)[x] < kRegionLimit;
  };

  // Bounding boxes of the edge pixels of every weight.
  struct TBox {
    int32_t y0 = INT32_MAX, y1 = INT32_MIN, x0 = INT32_MAX, x1 = INT32_MIN;
  };
  std::array<TBox, kRegionLimit> boxes;
  for (int32_t y = minY; y <= maxY; ++y) {
    const int32_t* row = mask.RowPtr(y);
    for (int32_t x = minX; x <= maxX; ++x) {
      const int32_t v = row[x];
      if (v >= kRegionLimit) continue;
      bool edge = false;
      for (int32_t dy = -1; dy <= 1 && !edge; ++dy)
        for (int32_t dx = -1; dx <= 1 && !edge; ++dx) {
          const int32_t ny = y + dy, nx = x + dx;
          if (ny < 0 || ny >= h || nx < 0 || nx >= w) continue;
          edge = !isRegion(ny, nx);
        }
      if (!edge) continue;
      TBox& b = boxes[static_cast<size_t>(v)];
      b.y0 = std::min(b.y0, y);
      b.y1 = std::max(b.y1, y);
      b.x0 = std::min(b.x0, x);
      b.x1 = std::max(b.x1, x);
    }
  }

  // No window reaches further than the page.
  const int32_t reach = std::min(r, std::max(h, w));
  const THundredths hundredths(std::min(2 * static_cast<int64_t>(reach) * reach,
                                        static_cast<int64_t>(h - 1) * (h - 1) + static_cast<int64_t>(w - 1) * (w - 1)));
  const int32_t none = reach + 1;
  std::vector<int32_t> column;
  std::vector<int64_t> nearest(static_cast<size_t>(w));
  TParabolaEnvelope envelope;
  for (int32_t v = 0; v < kRegionLimit; ++v) {
    const TBox& b = boxes[static_cast<size_t>(v)];
    if (b.y0 > b.y1) continue;
    CheckForStop();
    // The pixels of weight v in the edge pixels' box (the others lie inside
    // the region and offer nothing new), and every pixel within reach.
    const int32_t y0 = std::max(0, b.y0 - reach), y1 = std::min(h - 1, b.y1 + reach);
    const int32_t x0 = std::max(0, b.x0 - reach), x1 = std::min(w - 1, b.x1 + reach);
    const int32_t cw = x1 - x0 + 1;
    column.assign(static_cast<size_t>(y1 - y0 + 1) * cw, none);
    // Rows distance to the nearest pixel of weight v in the column, or
    // `none` beyond reach: downwards, then upwards.
    for (int32_t y = y0; y <= y1; ++y) {
      int32_t* g = &column[static_cast<size_t>(y - y0) * cw];
      const int32_t* above = y > y0 ? g - cw : nullptr;
      const int32_t* row = mask.RowPtr(y);
      const bool inBox = y >= b.y0 && y <= b.y1;
      for (int32_t x = x0; x <= x1; ++x) {
        int32_t d = above ? std::min(above[x - x0] + 1, none) : none;
        if (inBox && x >= b.x0 && x <= b.x1 && row[x] == v) d = 0;
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
      WindowedRowMinimum(&column[static_cast<size_t>(y - y0) * cw], cw, reach, none, nearest.data(), envelope);
      int32_t* row = mask.RowPtr(y) + x0;
      for (int32_t x = 0; x < cw; ++x) {
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

  int32_t lightest = 0;
  for (int32_t y = scan.MinY; y <= scan.MaxY; ++y) {
    const int32_t* row = scan.FillMask->RowPtr(y);
    for (int32_t x = scan.MinX; x <= scan.MaxX; ++x) lightest = std::min(lightest, row[x]);
  }
  if (lightest < 0)
    OfferEveryWindow(scan, r);
  else
    OfferByWeights(scan, r);
  scan.FillGradient = r;
  ConsoleWriteRaw(".");
}

// Gives region pixels a negative depth, so that a layer of negative
// thickness draws an inset of the shape. Each region pixel looks on widening
// diamond rings for pixels just outside the region (100..200); the first one
// found, at distance e, limits the search to ring round(1.6 e). The best offer
// is the largest mask(q) - 100 |p - q|, -10000 when there is none.
void ComputeInnerDistances(TDrovixMangaScan& scan) {
  TDrovixGraph& mask = *scan.FillMask;
  const int32_t minX = scan.MinX, maxX = scan.MaxX, minY = scan.MinY, maxY = scan.MaxY;
  for (int32_t y = minY; y <= maxY; ++y) {
    if ((y - minY) % kRowsBetweenStops == kRowsBetweenStops - 1) CheckForStop();
    int32_t* row = mask.RowPtr(y);
    for (int32_t x = minX; x <= maxX; ++x) {
      if (row[x] >= kRegionLimit) continue;
      int32_t best = -10000;
      bool found = false;
      int32_t last = 100;
      for (int32_t i = 1; i <= last; ++i) {
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
      if (best < row[x]) row[x] = best;
    }
  }
}

}  // namespace drovix

// Plain copies of the distance field steps the layers used to run: every
// region pixel offers its weight plus its distance to each pixel of its
// window, one after another, and searches rings around it for its inner
// depth. The faster computations are held to them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix::distance_reference {

inline void ReferenceOfferToRow(int32_t* q, const int32_t* dist, int32_t n, int32_t own) {
  for (int32_t i = 0; i < n; ++i) {
    const int32_t offer = dist[i] + own;
    if (q[i] > 99 && offer < q[i]) q[i] = offer;
  }
}

inline void ReferenceExtendDistanceField(TDrovixMangaScan& scan, int32_t r) {
  if (r < scan.FillGradient) return;
  const int32_t h = scan.Height(), w = scan.Width();
  if (scan.MinY > scan.MaxY || scan.MinX > scan.MaxX) return;  // no region at all
  const int32_t d = r - scan.FillGradient;
  scan.MinX = std::max(0, scan.MinX - d);
  scan.MinY = std::max(0, scan.MinY - d);
  scan.MaxX = std::min(w - 1, scan.MaxX + d);
  scan.MaxY = std::min(h - 1, scan.MaxY + d);

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
    for (int32_t x = scan.MinX; x <= scan.MaxX; ++x) {
      // Region pixels are never lowered (offers go only to pixels above 99).
      const int32_t own = mask.RowPtr(y)[x];
      if (own >= 100) continue;
      const int32_t x0 = std::max(0, x - r), x1 = std::min(w - 1, x + r);
      const int32_t y0 = std::max(0, y - r), y1 = std::min(h - 1, y + r);
      if (openIn(y0, x0, y1, x1) == 0) continue;
      for (int32_t qy = y0; qy <= y1; ++qy)
        ReferenceOfferToRow(mask.RowPtr(qy) + x0,
                            &table[static_cast<size_t>(qy - y + r) * side + static_cast<size_t>(x0 - x + r)],
                            x1 - x0 + 1, own);
    }
  }
  scan.FillGradient = r;
}

// The inner depths as they were searched: diamond rings around each pixel.
inline void ReferenceComputeInnerDistances(TDrovixMangaScan& scan) {
  TDrovixGraph& mask = *scan.FillMask;
  const int32_t minX = scan.MinX, maxX = scan.MaxX, minY = scan.MinY, maxY = scan.MaxY;
  for (int32_t y = minY; y <= maxY; ++y) {
    int32_t* row = mask.RowPtr(y);
    for (int32_t x = minX; x <= maxX; ++x) {
      if (row[x] >= 100) continue;
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

}  // namespace drovix::distance_reference

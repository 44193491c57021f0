// A plain copy of the distance field extension the layers used to run: every
// region pixel offers its weight plus its distance to each pixel of its
// window, one after another. The faster computation is held to it.
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

}  // namespace drovix::distance_reference

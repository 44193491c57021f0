// The contour plane: for every pixel, 4 x the largest difference between it
// and the opaque pixels within a disc around it. Text removal uses it to
// keep its rays inside one structure of the drawing.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "drovix_graph/raster/ParallelRows.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

// Neighbours at least this transparent are erased lettering, not drawing.
constexpr int32_t kOpaqueBelow = 20;

// best[x] = max(best[x], |other[x] - centre[x]|) where opaqueness[x] is below
// kOpaqueBelow. Branch-free and free of aliasing, so that the compiler
// vectorises it.
void RaiseRow(const int32_t* __restrict opaqueness, const int32_t* __restrict other,
              const int32_t* __restrict centre, int32_t* __restrict best, int32_t count) {
  for (int32_t x = 0; x < count; ++x) {
    const int32_t opaque = -static_cast<int32_t>(opaqueness[x] < kOpaqueBelow);
    const int32_t d = std::abs(other[x] - centre[x]) & opaque;
    best[x] = std::max(best[x], d);
  }
}

// The planes are compared together: a pixel's contour is the largest
// difference found in any of them.
template <size_t N>
void ComputeContourPlane(TDrovixMangaScan& scan, const std::array<const TDrovixGraph*, N>& planes,
                         int32_t radius) {
  const int32_t h = scan.Height();
  const int32_t w = scan.Width();
  // Offsets (k, l) with k^2 + l^2 <= (radius + 1)^2; those beyond the page
  // could never reach a pixel, so the walk stops at the page size.
  const int64_t reach = static_cast<int64_t>(radius) + 1;
  const int32_t reachY = static_cast<int32_t>(std::min<int64_t>(std::abs(reach), std::max(h - 1, 0)));
  const int32_t reachX = static_cast<int32_t>(std::min<int64_t>(std::abs(reach), std::max(w - 1, 0)));
  struct Offset {
    int32_t k;
    int32_t l;
  };
  std::vector<Offset> offsets;
  for (int32_t k = -reachY; k <= reachY; ++k)
    for (int32_t l = -reachX; l <= reachX; ++l)
      if (int64_t{k} * k + int64_t{l} * l <= reach * reach) offsets.push_back(Offset{k, l});

  // Rows of the plane in bands side by side; the progress dots (one every
  // 100 rows) come from the calling thread, those of the other bands once
  // all are done.
  int32_t firstBandEnd = h;
  ParallelRows(h, int64_t{h} * w * static_cast<int64_t>(offsets.size()), [&](int32_t first, int32_t end) {
    if (first == 0) firstBandEnd = end;
    std::vector<int32_t> largest(static_cast<size_t>(w));
    for (int32_t y = first; y < end; ++y) {
      std::fill(largest.begin(), largest.end(), 0);
      for (const Offset& o : offsets) {
        const int32_t yy = y + o.k;
        if (yy < 0 || yy >= h) continue;
        const int32_t from = std::max(0, -o.l);
        const int32_t to = std::min(w, w - o.l);
        const int32_t* transparency = scan.Transparency->RowPtr(yy);
        for (const TDrovixGraph* plane : planes) {
          const int32_t* centre = plane->RowPtr(y);
          const int32_t* other = plane->RowPtr(yy);
          if (to > from)
            RaiseRow(transparency + from + o.l, other + from + o.l, centre + from, largest.data() + from,
                     to - from);
        }
      }
      int32_t* out = scan.Contours->RowPtr(y);
      for (int32_t x = 0; x < w; ++x) out[x] = 4 * largest[static_cast<size_t>(x)];
      if (first == 0 && y % 100 == 0) ConsoleWriteRaw(".");
    }
  });
  for (int32_t y = firstBandEnd; y < h; ++y)
    if (y % 100 == 0) ConsoleWriteRaw(".");
  scan.ContoursDone = true;
}

}  // namespace

void TDrovixMangaScan::ComputeContours(int32_t radius) {
  if (ContoursDone) return;
  ConsoleWrite(Ru(".ищу контуры"));
  ComputeContourPlane<1>(*this, {this}, radius);
}

void TDrovixColorMangaScan::ComputeContours(int32_t radius) {
  if (ContoursDone) return;
  ConsoleWrite(Ru(".ищу контуры"));
  ComputeContourPlane<3>(*this, {this, RedPlane.get(), GreenPlane.get()}, radius);
}

}  // namespace drovix

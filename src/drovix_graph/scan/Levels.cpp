// Level cleaning (near-black and near-white flecks flattened, the grey range
// stretched) and grain suppression (screen-tone grain smoothed away from the
// lines of the drawing) of the page scan.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "drovix_graph/raster/FleckCleaning.h"
#include "drovix_graph/raster/GrainBlend.h"
#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/raster/SmoothSample.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

// Transparency from which a pixel no longer counts as part of the picture.
constexpr int32_t kOpaqueBelow = 20;

// BlackLevel and WhiteLevel of the plane := its darkest and lightest value.
void FindLevels(TDrovixGraph& g) {
  const int32_t h = g.Height(), w = g.Width();
  if (h == 0 || w == 0) return;
  int32_t lo = g.Pixel(0, 0), hi = lo;
  for (int32_t y = 0; y < h; ++y) {
    const int32_t* row = g.RowPtr(y);
    for (int32_t x = 0; x < w; ++x) {
      lo = std::min(lo, row[x]);
      hi = std::max(hi, row[x]);
    }
  }
  g.BlackLevel = lo;
  g.WhiteLevel = hi;
}

// The flecks within power of the plane's own BlackLevel and WhiteLevel
// become those levels.
void CleanFlecks(TDrovixGraph& g, int32_t power) {
  FlattenFlecks(g, g.BlackLevel + power, g.BlackLevel, g.WhiteLevel - power, g.WhiteLevel);
}

// Maps blackPoint to 0 and whitePoint to 255, clamping outside.
// REQUIRES: blackPoint < whitePoint.
class TStretch {
 public:
  TStretch(int32_t blackPoint, int32_t whitePoint)
      : black_(blackPoint), factor_(static_cast<float>(255.0L / (whitePoint - blackPoint))) {
    for (int32_t v = 0; v < 256; ++v) table_[v] = Compute(v);
  }
  void Apply(TDrovixGraph& g) const {
    const int32_t h = g.Height(), w = g.Width();
    for (int32_t y = 0; y < h; ++y) {
      int32_t* row = g.RowPtr(y);
      for (int32_t x = 0; x < w; ++x) {
        const int32_t v = row[x];
        row[x] = (v >= 0 && v < 256) ? table_[v] : Compute(v);
      }
    }
    g.BlackLevel = 0;
    g.WhiteLevel = 255;
  }

 private:
  int32_t Compute(int32_t v) const {
    return Clamp(RoundHalfEvenToInt(static_cast<long double>(v - black_) * factor_), 0, 255);
  }
  int32_t black_;
  float factor_;
  int32_t table_[256];
};

// The edge map of grain suppression: the page (through the virtual Clone, so
// a colour page gives its grey picture) and its transparency reduced n times;
// every small pixel holds 4x its largest difference to the opaque small
// pixels within distance 2. The disc is walked offset by offset over whole
// rows, branch-free, so that the compiler can vectorise the rows.
std::unique_ptr<TDrovixGraph> GrainEdgeMap(const TDrovixMangaScan& scan, int32_t n) {
  const int32_t sh = std::max(1, scan.Height() / n), sw = std::max(1, scan.Width() / n);
  std::unique_ptr<TDrovixGraph> small = scan.Clone();
  small->Resize(sh, sw);
  std::unique_ptr<TDrovixGraph> smallT = scan.Transparency->Clone();
  smallT->Resize(sh, sw);

  auto edges = std::make_unique<TDrovixGraph>();
  edges->SetSize(sh, sw);
  std::vector<int32_t> largest(static_cast<size_t>(sw));
  for (int32_t y = 0; y < sh; ++y) {
    if (y % 100 == 0) ConsoleWriteRaw(".");
    const int32_t* centre = small->RowPtr(y);
    std::fill(largest.begin(), largest.end(), 0);
    int32_t* best = largest.data();
    for (int32_t k = -2; k <= 2; ++k) {
      const int32_t yy = y + k;
      if (yy < 0 || yy >= sh) continue;
      const int32_t* row = small->RowPtr(yy);
      const int32_t* tRow = smallT->RowPtr(yy);
      for (int32_t l = -2; l <= 2; ++l) {
        if (k * k + l * l > 4) continue;
        const int32_t from = std::max(0, -l), to = std::min(sw, sw - l);
        for (int32_t x = from; x < to; ++x) {
          const int32_t opaque = -static_cast<int32_t>(tRow[x + l] < kOpaqueBelow);
          const int32_t d = std::abs(row[x + l] - centre[x]) & opaque;
          best[x] = std::max(best[x], d);
        }
      }
    }
    int32_t* out = edges->RowPtr(y);
    for (int32_t x = 0; x < sw; ++x) out[x] = 4 * best[x];
  }
  return edges;
}

// Blends every pixel of the planes with the mean of the opaque pixels within
// distance n, weighted by the edge map: flat tone becomes its local mean,
// lines stay. The means are taken over the page as it was: running row sums
// of the original rows around the current one are kept in a ring of 2n + 1
// rows, so each mean costs 2n + 1 differences and the pass allocates nothing
// per pixel. The row sums are padded by n on both sides (zeros before the
// row, the row's total after it), so that the window of every column is one
// difference without clipping, and whole rows of windows are summed at once.
void BlendGrain(std::initializer_list<TDrovixGraph*> planeList, const TDrovixGraph& transparency,
                const TDrovixGraph& edges, int32_t n) {
  const std::vector<TDrovixGraph*> planes(planeList);
  const int32_t np = static_cast<int32_t>(planes.size());
  const int32_t h = planes[0]->Height(), w = planes[0]->Width();
  const int32_t sh = edges.Height(), sw = edges.Width();
  const int32_t ring = 2 * n + 1;
  const size_t stride = static_cast<size_t>(w) + 2 * static_cast<size_t>(n) + 1;

  // Half-width of the disc on each row offset -n .. n.
  std::vector<int32_t> span(static_cast<size_t>(ring));
  for (int32_t k = -n; k <= n; ++k) {
    int32_t l = 0;
    while ((l + 1) * (l + 1) + k * k <= n * n) ++l;
    span[static_cast<size_t>(k + n)] = l;
  }
  // Column positions in the edge map do not depend on the row: the two
  // neighbouring columns (clamped as SmoothPixel clamps them) and the
  // fraction.
  std::vector<int32_t> edgeC0(static_cast<size_t>(w)), edgeC1(static_cast<size_t>(w));
  std::vector<float> edgeFc(static_cast<size_t>(w));
  for (int32_t x = 0; x < w; ++x) {
    const float column = static_cast<float>(static_cast<long double>(x) / w * sw);
    const int32_t c0 = static_cast<int32_t>(column);
    edgeFc[static_cast<size_t>(x)] = column - static_cast<float>(c0);
    edgeC0[static_cast<size_t>(x)] = Clamp(c0, 0, sw - 1);
    edgeC1[static_cast<size_t>(x)] = Clamp(c0 + 1, 0, sw - 1);
  }

  // Padded prefix sums of the opaque values (per plane) and of the opaque
  // count of each row in the ring: slot r % ring holds row r, entry n + k
  // the sum over the first k pixels.
  std::vector<int64_t> sums(static_cast<size_t>(np * ring) * stride);
  std::vector<int32_t> counts(static_cast<size_t>(ring) * stride);
  const auto loadRow = [&](int32_t r) {
    const size_t slot = static_cast<size_t>(r % ring);
    const int32_t* t = transparency.RowPtr(r);
    int32_t* cnt = &counts[slot * stride];
    std::fill(cnt, cnt + n + 1, 0);
    for (int32_t x = 0; x < w; ++x) cnt[n + x + 1] = cnt[n + x] + (t[x] < kOpaqueBelow ? 1 : 0);
    std::fill(cnt + n + w + 1, cnt + stride, cnt[n + w]);
    for (int32_t p = 0; p < np; ++p) {
      const int32_t* v = planes[static_cast<size_t>(p)]->RowPtr(r);
      int64_t* sum = &sums[(static_cast<size_t>(p) * ring + slot) * stride];
      std::fill(sum, sum + n + 1, 0);
      for (int32_t x = 0; x < w; ++x) sum[n + x + 1] = sum[n + x] + (t[x] < kOpaqueBelow ? v[x] : 0);
      std::fill(sum + n + w + 1, sum + stride, sum[n + w]);
    }
  };

  std::vector<int64_t> totals(static_cast<size_t>(np) * w);
  std::vector<int32_t> count(static_cast<size_t>(w)), edgeRow(static_cast<size_t>(w));
  int32_t loaded = 0;  // rows 0 .. loaded-1 are (or were) in the ring
  for (int32_t y = 0; y < h; ++y) {
    if (y % 100 == 0) ConsoleWriteRaw(".");
    for (; loaded < h && loaded <= y + n; ++loaded) loadRow(loaded);
    const int32_t kLo = std::max(-n, -y), kHi = std::min(n, h - 1 - y);
    std::fill(count.begin(), count.end(), 0);
    std::fill(totals.begin(), totals.end(), 0);
    for (int32_t k = kLo; k <= kHi; ++k) {
      const int32_t l = span[static_cast<size_t>(k + n)];
      const size_t slot = static_cast<size_t>((y + k) % ring);
      // Column x's window is entries [x - l + n, x + l + 1 + n).
      const int32_t* cntHi = &counts[slot * stride] + (n + l + 1);
      const int32_t* cntLo = &counts[slot * stride] + (n - l);
      int32_t* c = count.data();
      for (int32_t x = 0; x < w; ++x) c[x] += cntHi[x] - cntLo[x];
      for (int32_t p = 0; p < np; ++p) {
        const int64_t* sum = &sums[(static_cast<size_t>(p) * ring + slot) * stride];
        const int64_t* sumHi = sum + (n + l + 1);
        const int64_t* sumLo = sum + (n - l);
        int64_t* total = &totals[static_cast<size_t>(p) * w];
        for (int32_t x = 0; x < w; ++x) total[x] += sumHi[x] - sumLo[x];
      }
    }
    // The edge map's SmoothPixel at (edgeY, column of x), its neighbours
    // read straight from the two rows.
    const float edgeY = static_cast<float>(static_cast<long double>(y) / h * sh);
    const int32_t r0 = static_cast<int32_t>(edgeY);
    const float fr = edgeY - static_cast<float>(r0);
    const int32_t* upper = edges.RowPtr(Clamp(r0, 0, sh - 1));
    const int32_t* lower = edges.RowPtr(Clamp(r0 + 1, 0, sh - 1));
    for (int32_t x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(x);
      const int32_t c0 = edgeC0[i], c1 = edgeC1[i];
      edgeRow[i] = Clamp(SmoothSample(fr, edgeFc[i], upper[c0], upper[c1], lower[c1], lower[c0]), 0, 255);
    }
    for (int32_t p = 0; p < np; ++p) {
      int32_t* v = planes[static_cast<size_t>(p)]->RowPtr(y);
      const int64_t* total = &totals[static_cast<size_t>(p) * w];
      for (int32_t x = 0; x < w; ++x) {
        // Integer division toward zero; a double quotient truncates the same
        // way for sums below 2^53 (a non-integer quotient lies at least
        // 1/count from the next integer, farther than its rounding error).
        const int32_t c = std::max(1, count[static_cast<size_t>(x)]);
        const int64_t mean = static_cast<int64_t>(static_cast<double>(total[x]) / c);
        v[x] = GrainBlend(v[x], mean, edgeRow[static_cast<size_t>(x)]);
      }
    }
  }
}

}  // namespace

void TDrovixMangaScan::CleanLevels(int32_t power) {
  // The script keeps the power within 0..100; beyond 127 the stretch would
  // have no range left.
  const int32_t p = Clamp(power, 0, 100);
  FindLevels(*this);
  CleanFlecks(*this, p);
  TStretch(p, 255 - p).Apply(*this);
}

void TDrovixColorMangaScan::CleanLevels(int32_t power) {
  const int32_t p = Clamp(power, 0, 100);
  TDrovixGraph* const planes[] = {this, RedPlane.get(), GreenPlane.get()};
  int32_t darkest = 0, lightest = 255;
  bool first = true;
  for (TDrovixGraph* plane : planes) {
    FindLevels(*plane);
    CleanFlecks(*plane, p);
    // The common points: the largest of the darkest values, the smallest of
    // the lightest.
    darkest = first ? plane->BlackLevel : std::max(darkest, plane->BlackLevel);
    lightest = first ? plane->WhiteLevel : std::min(lightest, plane->WhiteLevel);
    first = false;
  }
  const TStretch stretch(std::min(p, darkest), std::max(255 - p, lightest));
  for (TDrovixGraph* plane : planes) stretch.Apply(*plane);
}

void TDrovixMangaScan::SuppressGrain(int32_t n) {
  if (n < 1 || Height() == 0 || Width() == 0) return;
  ConsoleWrite(Ru("..(давлю зерно.."));
  const std::unique_ptr<TDrovixGraph> edges = GrainEdgeMap(*this, n);
  BlendGrain({this}, *Transparency, *edges, n);
  ConsoleWriteRaw(".).");
}

void TDrovixColorMangaScan::SuppressGrain(int32_t n) {
  if (n < 1 || Height() == 0 || Width() == 0) return;
  ConsoleWrite(Ru("..(давлю зерно.."));
  const std::unique_ptr<TDrovixGraph> edges = GrainEdgeMap(*this, n);
  BlendGrain({this, RedPlane.get(), GreenPlane.get()}, *Transparency, *edges, n);
  ConsoleWriteRaw(".).");
}

}  // namespace drovix

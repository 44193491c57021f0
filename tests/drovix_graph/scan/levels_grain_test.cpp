// Grain suppression: flat tone becomes its local mean, lines stay sharp,
// transparent pixels take no part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "scaling_fixture.h"

namespace drovix {
namespace {

using scaling_test::Captured;
using scaling_test::MakeScan;
using scaling_test::Noise;
using scaling_test::Shown;
using scaling_test::TPlanes;
using Rows = std::vector<std::vector<int32_t>>;

Rows RowsOf(const TDrovixGraph& g) {
  Rows rows(static_cast<size_t>(g.Height()));
  for (int32_t y = 0; y < g.Height(); ++y) rows[y].assign(g.RowPtr(y), g.RowPtr(y) + g.Width());
  return rows;
}

int32_t Checker(int32_t y, int32_t x) { return (y + x) % 2 == 0 ? 100 : 140; }

TEST(SuppressGrainTest, ScreenToneBecomesItsLocalMean) {
  auto scan = MakeScan(40, 40, {.page = Checker});
  // The reduced copy is flat (every sample falls on a 100), so there is no
  // edge anywhere and each pixel becomes the mean of its disc of radius 2.
  EXPECT_EQ(Captured([&] { scan->SuppressGrain(2); }), Shown("..(давлю зерно..") + "." + "." + ".).");
  EXPECT_EQ(scan->Pixel(20, 20), 112);  // (9 x 100 + 4 x 140) div 13
  EXPECT_EQ(scan->Pixel(20, 21), 127);  // (9 x 140 + 4 x 100) div 13
  // Only the part of the disc inside the page counts.
  EXPECT_EQ(scan->Pixel(0, 0), 113);    // (4 x 100 + 2 x 140) div 6
  EXPECT_EQ(scan->Pixel(39, 38), 125);  // (5 x 140 + 3 x 100) div 8
}

TEST(SuppressGrainTest, LinesStaySharp) {
  const auto halves = [](int32_t, int32_t x) { return x < 18 ? 0 : 255; };
  auto scan = MakeScan(36, 36, {.page = halves});
  Captured([&] { scan->SuppressGrain(3); });
  for (int32_t y = 0; y < 36; ++y)
    for (int32_t x = 0; x < 36; ++x) ASSERT_EQ(scan->Pixel(y, x), halves(y, x)) << y << "," << x;
}

// A block of 90 in a page of 100: from transparency 20 on it is no part of
// its neighbours' means; at 19 it still is.
TEST(SuppressGrainTest, TransparentPixelsTakeNoPart) {
  for (const int32_t transparency : {20, 19}) {
    SCOPED_TRACE(transparency);
    const auto inBlock = [](int32_t y, int32_t x) { return y >= 16 && y <= 21 && x >= 16 && x <= 21; };
    TPlanes planes;
    planes.page = [&](int32_t y, int32_t x) { return inBlock(y, x) ? 90 : 100; };
    planes.transparency = [&](int32_t y, int32_t x) { return inBlock(y, x) ? transparency : 0; };
    auto scan = MakeScan(40, 40, planes);
    Captured([&] { scan->SuppressGrain(2); });
    if (transparency == 20) {
      for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x)
          if (!inBlock(y, x)) {
            ASSERT_EQ(scan->Pixel(y, x), 100) << y << "," << x;
          }
    } else {
      EXPECT_LT(scan->Pixel(15, 18), 100);
      EXPECT_LT(scan->Pixel(18, 22), 100);
    }
  }
}

// The whole computation done the plain way, pixel by pixel over every disc.
Rows PlainGrain(TDrovixMangaScan& scan, const TDrovixGraph& plane, int32_t n) {
  const int32_t h = scan.Height(), w = scan.Width(), sh = h / n, sw = w / n;
  auto small = scan.Clone();
  small->Resize(sh, sw);
  auto smallT = scan.Transparency->Clone();
  smallT->Resize(sh, sw);
  TDrovixGraph edges;
  edges.SetSize(sh, sw);
  for (int32_t y = 0; y < sh; ++y)
    for (int32_t x = 0; x < sw; ++x) {
      int32_t best = 0;
      for (int32_t k = -2; k <= 2; ++k)
        for (int32_t l = -2; l <= 2; ++l) {
          const int32_t yy = y + k, xx = x + l;
          if (k * k + l * l > 4 || yy < 0 || yy >= sh || xx < 0 || xx >= sw) continue;
          if (smallT->Pixel(yy, xx) >= 20) continue;
          best = std::max(best, std::abs(small->Pixel(yy, xx) - small->Pixel(y, x)));
        }
      edges.Pixel(y, x) = 4 * best;
    }
  Rows out = RowsOf(plane);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const float ey = static_cast<float>(static_cast<long double>(y) / h * sh);
      const float ex = static_cast<float>(static_cast<long double>(x) / w * sw);
      const long double e = std::clamp(edges.SmoothPixel(ey, ex), 0, 255) / 255.0L;
      int64_t sum = 0, count = 0;
      for (int32_t k = -n; k <= n; ++k)
        for (int32_t l = -n; l <= n; ++l) {
          const int32_t yy = y + k, xx = x + l;
          if (k * k + l * l > n * n || yy < 0 || yy >= h || xx < 0 || xx >= w) continue;
          if (scan.Transparency->Pixel(yy, xx) >= 20) continue;
          sum += plane.Pixel(yy, xx);
          ++count;
        }
      const int64_t mean = sum / std::max<int64_t>(1, count);
      out[y][x] = static_cast<int32_t>(std::nearbyint(plane.Pixel(y, x) * e + mean * (1 - e)));
    }
  return out;
}

TEST(SuppressGrainTest, GreyPageAgreesWithThePlainComputation) {
  for (const int32_t n : {2, 3, 5}) {
    SCOPED_TRACE(n);
    TPlanes planes;
    planes.page = [](int32_t y, int32_t x) { return Noise(y, x, 6); };
    planes.transparency = [](int32_t y, int32_t x) { return Noise(y, x, 7) % 40; };
    auto scan = MakeScan(23, 29, planes);
    const Rows expected = PlainGrain(*scan, *scan, n);
    Captured([&] { scan->SuppressGrain(n); });
    EXPECT_EQ(RowsOf(*scan), expected);
  }
}

TEST(SuppressGrainTest, ColourPlanesShareTheEdgesButNotTheMeans) {
  TPlanes planes;
  planes.page = [](int32_t y, int32_t x) { return Noise(y, x, 8); };
  planes.redPlane = [](int32_t y, int32_t x) { return Noise(y, x, 9); };
  planes.greenPlane = [](int32_t y, int32_t x) { return (y / 4 + x / 4) % 2 == 0 ? 30 : 220; };
  planes.transparency = [](int32_t y, int32_t x) { return Noise(y, x, 10) % 30; };
  auto scan = MakeScan<TDrovixColorMangaScan>(17, 19, planes);
  const Rows blue = PlainGrain(*scan, *scan, 2);
  const Rows red = PlainGrain(*scan, *scan->RedPlane, 2);
  const Rows green = PlainGrain(*scan, *scan->GreenPlane, 2);
  EXPECT_EQ(Captured([&] { scan->SuppressGrain(2); }), Shown("..(давлю зерно..") + "." + "." + ".).");
  EXPECT_EQ(RowsOf(*scan), blue);
  EXPECT_EQ(RowsOf(*scan->RedPlane), red);
  EXPECT_EQ(RowsOf(*scan->GreenPlane), green);
}

}  // namespace
}  // namespace drovix

// The contour plane of grey and colour scans.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "ScanTestUtil.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

using scan_test::Rgba;
using scan_test::SplitScan;

std::unique_ptr<TDrovixMangaScan> GreyPage(int32_t h, int32_t w, const scan_test::TPixelFn& grey,
                                           const scan_test::TPixelFn& transparency) {
  testing::internal::CaptureStdout();
  auto scan = SplitScan(
      h, w,
      [&](int32_t y, int32_t x) {
        const int32_t v = grey(y, x);
        return Rgba(v, v, v, 255 - transparency(y, x));
      },
      "", false);
  testing::internal::GetCapturedStdout();
  return scan;
}

// The definition, pixel by pixel, over the given planes.
int32_t Expected(const std::vector<const TDrovixGraph*>& planes, const TDrovixGraph& transparency,
                 int32_t radius, int32_t y, int32_t x) {
  int32_t c = 0;
  const int32_t r = radius + 1;
  for (int32_t k = -r; k <= r; ++k)
    for (int32_t l = -r; l <= r; ++l) {
      if (k * k + l * l > r * r) continue;
      const int32_t yy = y + k, xx = x + l;
      if (yy < 0 || xx < 0 || yy >= transparency.Height() || xx >= transparency.Width()) continue;
      if (transparency.Pixel(yy, xx) >= 20) continue;
      for (const TDrovixGraph* p : planes) c = std::max(c, std::abs(p->Pixel(yy, xx) - p->Pixel(y, x)));
    }
  return 4 * c;
}

TEST(ComputeContoursTest, RadiusOneReachesTheTwelveNeighboursWithinDistanceTwo) {
  auto scan = GreyPage(
      9, 9, [](int32_t y, int32_t x) { return y == 4 && x == 4 ? 0 : 255; },
      [](int32_t, int32_t) { return 0; });
  testing::internal::CaptureStdout();
  scan->ComputeContours(1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), ".ishchu kontury.");
  int32_t strong = 0;
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 9; ++x) {
      const int32_t d2 = (y - 4) * (y - 4) + (x - 4) * (x - 4);
      EXPECT_EQ(scan->Contours->Pixel(y, x), d2 <= 4 ? 1020 : 0) << y << "," << x;
      strong += d2 <= 4;
    }
  EXPECT_EQ(strong, 13);
  EXPECT_TRUE(scan->ContoursDone);
}

TEST(ComputeContoursTest, TransparentNeighboursAreIgnoredButATransparentCentreIsNot) {
  struct Case {
    const char* what;
    int32_t centreTransparency, othersTransparency;
    int32_t atCentre, nextToCentre;
  };
  const Case cases[] = {
      {"all at 20: nothing counts", 20, 20, 0, 0},
      {"transparent centre among opaque", 255, 0, 4 * 200, 0},
      {"opaque centre among transparent", 0, 255, 0, 4 * 200},
      {"all at 19: everything counts", 19, 19, 4 * 200, 4 * 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto scan = GreyPage(
        5, 5, [](int32_t y, int32_t x) { return y == 2 && x == 2 ? 250 : 50; },
        [&](int32_t y, int32_t x) { return y == 2 && x == 2 ? c.centreTransparency : c.othersTransparency; });
    testing::internal::CaptureStdout();
    scan->ComputeContours(1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(scan->Contours->Pixel(2, 2), c.atCentre);
    EXPECT_EQ(scan->Contours->Pixel(2, 3), c.nextToCentre);
  }
}

TEST(ComputeContoursTest, RandomPagesMatchTheDefinition) {
  std::mt19937 rng(11);
  for (int32_t radius : {0, 1, 2, 5}) {
    SCOPED_TRACE(radius);
    auto scan = GreyPage(
        23, 31, [&](int32_t, int32_t) { return static_cast<int32_t>(rng() % 256); },
        [&](int32_t, int32_t) { return rng() % 3 == 0 ? 18 + static_cast<int32_t>(rng() % 4) : 0; });
    testing::internal::CaptureStdout();
    scan->ComputeContours(radius);
    testing::internal::GetCapturedStdout();
    for (int32_t y = 0; y < scan->Height(); ++y)
      for (int32_t x = 0; x < scan->Width(); ++x)
        ASSERT_EQ(scan->Contours->Pixel(y, x), Expected({scan.get()}, *scan->Transparency, radius, y, x))
            << y << "," << x;
  }
}

TEST(ComputeContoursTest, ColourScanTakesTheLargestDifferenceOfItsThreePlanes) {
  std::mt19937 rng(3);
  testing::internal::CaptureStdout();
  auto scan = SplitScan<TDrovixColorMangaScan>(17, 19, [&](int32_t, int32_t) {
    return Rgba(static_cast<int32_t>(rng() % 256), static_cast<int32_t>(rng() % 256),
                static_cast<int32_t>(rng() % 256), rng() % 4 == 0 ? 200 : 255);
  });
  scan->ComputeContours(2);
  testing::internal::GetCapturedStdout();
  const std::vector<const TDrovixGraph*> planes = {scan.get(), scan->RedPlane.get(), scan->GreenPlane.get()};
  for (int32_t y = 0; y < scan->Height(); ++y)
    for (int32_t x = 0; x < scan->Width(); ++x)
      ASSERT_EQ(scan->Contours->Pixel(y, x), Expected(planes, *scan->Transparency, 2, y, x)) << y << "," << x;
}

TEST(ComputeContoursTest, IsComputedOnceUntilContoursDoneIsCleared) {
  auto scan = GreyPage(
      6, 6, [](int32_t, int32_t x) { return x < 3 ? 0 : 100; }, [](int32_t, int32_t) { return 0; });
  auto flatten = [&] {
    for (int32_t y = 0; y < 6; ++y)
      for (int32_t x = 0; x < 6; ++x) scan->Pixel(y, x) = 100;
  };
  testing::internal::CaptureStdout();
  scan->ComputeContours(1);
  flatten();
  scan->ComputeContours(1);  // the plane is reused although the page changed
  EXPECT_EQ(testing::internal::GetCapturedStdout(), ".ishchu kontury.");
  EXPECT_EQ(scan->Contours->Pixel(0, 2), 400);
  scan->ContoursDone = false;  // what a resize, doubling or deformation does
  testing::internal::CaptureStdout();
  scan->ComputeContours(1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(scan->Contours->Pixel(0, 2), 0);
}

}  // namespace
}  // namespace drovix

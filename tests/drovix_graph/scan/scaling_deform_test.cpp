// Straightening a page through its corner marks.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "scaling_fixture.h"

namespace drovix {
namespace {

using scaling_test::Captured;
using scaling_test::MakeScan;
using scaling_test::Noise;
using scaling_test::Shown;
using scaling_test::TPlanes;

TCornerMarkup Marks(TCorner left, TCorner middle, TCorner right) { return {left, middle, right}; }

// Marks (y, x) of a page scanned askew: left of the middle marks the page is
// one parallelogram, right of them another.
const std::array<TCornerMarkup, 2> kAskew = {Marks({10, 10}, {6, 60}, {14, 100}),
                                             Marks({90, 14}, {86, 64}, {94, 104})};
constexpr int32_t kStraightHeight = 81, kStraightWidth = 91;  // halves of 45 columns

// The place (i, j) on the straightened 81 x 91 page of source point (y, x):
// the inverse of each half's affine map.
void StraightPlace(double y, double x, double& i, double& j) {
  // Left: (y, x) = TL + i/80 (BL - TL) + j/45 (TM - TL).
  const double a = (50 * (y - 10) + 4 * (x - 10)) / 4016.0;
  const double b = (80 * (x - 10) - 4 * (y - 10)) / 4016.0;
  if (b <= 1) {
    i = 80 * a;
    j = 45 * b;
    return;
  }
  // Right: (y, x) = TM + i/80 (BM - TM) + o/45 (TR - TM).
  const double a2 = (40 * (y - 6) - 8 * (x - 60)) / 3168.0;
  const double c = (80 * (x - 60) - 4 * (y - 6)) / 3168.0;
  i = 80 * a2;
  j = 45 + 45 * c;
}

// The askew scan of a grid: black lines every 10 pixels of the straightened
// page, 3 pixels thick, white cells.
int32_t AskewGrid(int32_t y, int32_t x) {
  double i, j;
  StraightPlace(y, x, i, j);
  const auto onLine = [](double t) { return std::fabs(t - 10 * std::round(t / 10)) <= 1.5; };
  const bool inside = i >= -1.5 && i <= 81.5 && j >= -1.5 && j <= 91.5;
  return inside && (onLine(i) || onLine(j)) ? 0 : 255;
}

template <class Scan>
void CheckAskewGridComesOutStraight() {
  TPlanes planes;
  planes.page = AskewGrid;
  planes.red = [](int32_t y, int32_t x) { return 255 - AskewGrid(y, x); };
  planes.green = [](int32_t, int32_t) { return 33; };
  planes.transparency = [](int32_t, int32_t) { return 7; };
  planes.redPlane = AskewGrid;
  planes.greenPlane = [](int32_t y, int32_t x) { return 255 - AskewGrid(y, x); };
  auto scan = MakeScan<Scan>(110, 120, planes);
  scan->Corners = kAskew;
  scan->ContoursDone = true;

  const std::string shown = Captured([&] { scan->Deform(kStraightHeight, kStraightWidth); });
  EXPECT_EQ(shown, ".");

  std::vector<std::pair<const TDrovixGraph*, bool>> planesOut = {{scan.get(), false},
                                                                 {scan->RedMarkup.get(), true},
                                                                 {scan->GreenMarkup.get(), false},
                                                                 {scan->Transparency.get(), false}};
  if constexpr (std::is_same_v<Scan, TDrovixColorMangaScan>) {
    planesOut.push_back({scan->RedPlane.get(), false});
    planesOut.push_back({scan->GreenPlane.get(), true});
  }
  for (const TDrovixGraph* plane : {scan->FillMask.get(), scan->Contours.get()}) {
    EXPECT_EQ(plane->Height(), kStraightHeight);
    EXPECT_EQ(plane->Width(), kStraightWidth);
  }
  EXPECT_FALSE(scan->ContoursDone);
  for (const auto& [plane, inverted] : planesOut) {
    ASSERT_EQ(plane->Height(), kStraightHeight);
    ASSERT_EQ(plane->Width(), kStraightWidth);
  }
  for (int32_t i = 0; i < kStraightHeight; ++i)
    for (int32_t j = 0; j < kStraightWidth; ++j) {
      const bool line = i % 10 == 0 || j % 10 == 0;
      const bool cellCentre = i % 10 == 5 && j % 10 == 5;
      if (!line && !cellCentre) continue;
      const int32_t grid = line ? 0 : 255;
      EXPECT_EQ(scan->Pixel(i, j), grid) << i << "," << j;
      EXPECT_EQ(scan->RedMarkup->Pixel(i, j), 255 - grid) << i << "," << j;
      EXPECT_EQ(scan->GreenMarkup->Pixel(i, j), 33) << i << "," << j;
      EXPECT_EQ(scan->Transparency->Pixel(i, j), 7) << i << "," << j;
      if constexpr (std::is_same_v<Scan, TDrovixColorMangaScan>) {
        EXPECT_EQ(scan->RedPlane->Pixel(i, j), grid) << i << "," << j;
        EXPECT_EQ(scan->GreenPlane->Pixel(i, j), 255 - grid) << i << "," << j;
      }
    }
}

TEST(DeformTest, AskewGreyPageComesOutStraight) { CheckAskewGridComesOutStraight<TDrovixMangaScan>(); }
TEST(DeformTest, AskewColourPageComesOutStraight) { CheckAskewGridComesOutStraight<TDrovixColorMangaScan>(); }

// Marks on the very corners and middles of a page of odd width map every
// pixel onto itself.
std::unique_ptr<TDrovixMangaScan> MarkedPage(int32_t h, int32_t w) {
  TPlanes planes;
  planes.page = [](int32_t y, int32_t x) { return Noise(y, x, 1); };
  planes.red = [](int32_t y, int32_t x) { return Noise(y, x, 2); };
  planes.green = [](int32_t y, int32_t x) { return Noise(y, x, 3); };
  planes.transparency = [](int32_t y, int32_t x) { return Noise(y, x, 4); };
  auto scan = MakeScan(h, w, planes);
  const float bottom = static_cast<float>(h - 1), middle = static_cast<float>(w / 2);
  const float right = static_cast<float>(w - 1);
  scan->Corners = {Marks({0, 0}, {0, middle}, {0, right}),
                   Marks({bottom, 0}, {bottom, middle}, {bottom, right})};
  scan->CornersFound = true;
  return scan;
}

TEST(DeformTest, MarksOnTheEdgesKeepEveryPixel) {
  auto scan = MarkedPage(21, 31);
  EXPECT_EQ(Captured([&] { scan->ScaleTo(1.0f); }), Shown("(деформирую с масштабом 1.00..") + "." + ".).");
  EXPECT_FALSE(scan->CornersFound);
  ASSERT_EQ(scan->Height(), 21);
  ASSERT_EQ(scan->Width(), 31);
  for (int32_t y = 0; y < 21; ++y)
    for (int32_t x = 0; x < 31; ++x) {
      ASSERT_EQ(scan->Pixel(y, x), Noise(y, x, 1)) << y << "," << x;
      ASSERT_EQ(scan->RedMarkup->Pixel(y, x), Noise(y, x, 2)) << y << "," << x;
      ASSERT_EQ(scan->GreenMarkup->Pixel(y, x), Noise(y, x, 3)) << y << "," << x;
      ASSERT_EQ(scan->Transparency->Pixel(y, x), Noise(y, x, 4)) << y << "," << x;
    }
}

// The first scaling step straightens the page at its scale; the second only
// scales it.
TEST(DeformTest, APageIsDeformedOnceByTheFirstStep) {
  struct {
    int32_t quality;
    const char* first;
    int32_t height, width;
  } const cases[] = {
      {-1, "(деформирую с масштабом 1.00..", 21, 31},
      {0, "(деформирую с масштабом 1.00..", 21, 31},
      {1, "(деформирую с масштабом 2.00..", 42, 62},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.quality);
    auto scan = MarkedPage(21, 31);
    EXPECT_EQ(Captured([&] { scan->ScaleBeforeProcessing(c.quality, 1.0f); }), Shown(c.first) + "." + ".).");
    EXPECT_FALSE(scan->CornersFound);
    EXPECT_EQ(scan->Height(), c.height);
    EXPECT_EQ(scan->Width(), c.width);
    EXPECT_EQ(scan->TargetHeight, c.height);
    EXPECT_EQ(scan->TargetWidth, c.width);
    const std::string second = Captured([&] { scan->ScaleAfterProcessing(c.quality, 1.0f); });
    EXPECT_EQ(second, c.quality == 1 ? Shown("(масштабирую в 0.50 раза..") + ".)." : "");
    EXPECT_EQ(scan->Height(), 21);
    EXPECT_EQ(scan->Width(), 31);
  }
}

}  // namespace
}  // namespace drovix

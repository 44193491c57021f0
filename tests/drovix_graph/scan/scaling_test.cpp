// The overall scale factor, the two scaling steps by quality, the release
// enlargement and the resize of the scan's planes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "driver/console/Error.h"
#include "scaling_fixture.h"

namespace drovix {
namespace {

using scaling_test::Captured;
using scaling_test::Fill;
using scaling_test::MakeScan;
using scaling_test::Noise;
using scaling_test::Shown;
using scaling_test::TPlanes;

constexpr int32_t kNone = 2147483647;

struct TScaleCase {
  const char* name;
  int32_t width, height;
  int32_t minWidth, minHeight, maxWidth, maxHeight;
  float scale;          // when no message
  const char* message;  // UTF-8, or nullptr
};

TEST(ScalingTest, ComputeScaleMeetsTheLimitsOrNamesTheConflict) {
  const TScaleCase cases[] = {
      {"default limits keep the page", 1000, 1500, 200, 200, kNone, kNone, 1.0f, nullptr},
      {"too narrow: enlarged", 150, 1000, 200, 200, kNone, kNone, static_cast<float>(200.0L / 150), nullptr},
      {"too low: enlarged", 1000, 100, 200, 200, kNone, kNone, 2.0f, nullptr},
      {"the stronger enlargement wins", 50, 100, 200, 200, kNone, kNone, 4.0f, nullptr},
      {"too wide: reduced", 3000, 2000, 200, 200, 1500, kNone, 0.5f, nullptr},
      {"the stronger reduction wins", 1000, 3000, 200, 200, 800, 1500, 0.5f, nullptr},
      {"enlarging beyond the height limit", 100, 1000, 200, 200, kNone, 1500, 0,
       "Заданные ограничения снизу по ширине (200) и высоте (200)\n\r конфликтуют с ограничениями сверху по "
       "ширине(неограничено) и высоте(1500)\n\r - картинка получилась бы размером 200 x 2000."},
      {"reducing below the height limit", 4000, 300, 200, 200, 2000, kNone, 0,
       "Заданные ограничения снизу по ширине (200) и высоте (200)\n\r конфликтуют с ограничениями сверху по "
       "ширине(2000) и высоте(неограничено)\n\r - картинка получилась бы размером 2000 x 150."},
      // The working page may take up to 8200 x 8200 pixels in area.
      {"a sliver 3 pixels wide still fits the working area", 3, 4100, 200, 200, kNone, kNone,
       static_cast<float>(200.0L / 3), nullptr},
      {"a sliver 2 pixels wide would not", 2, 4100, 200, 200, kNone, kNone, 0,
       "Скан \"\" размером 2 x 4100 по ограничениям размера пришлось бы увеличить до 200 x 410000 точек,\n\r "
       "а страницы больше 8200 x 8200 точек по площади не собираются - не хватит памяти.\n\rПроверь размеры "
       "скана и команды МИНИМАЛЬНАЯ_ШИРИНА() и МИНИМАЛЬНАЯ_ВЫСОТА()."},
      {"nor a wide one 1 pixel high", 4100, 1, 200, 200, kNone, kNone, 0,
       "Скан \"\" размером 4100 x 1 по ограничениям размера пришлось бы увеличить до 820000 x 200 точек,\n\r "
       "а страницы больше 8200 x 8200 точек по площади не собираются - не хватит памяти.\n\rПроверь размеры "
       "скана и команды МИНИМАЛЬНАЯ_ШИРИНА() и МИНИМАЛЬНАЯ_ВЫСОТА()."},
  };
  for (const TScaleCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDrovixMangaScan scan;  // the factor depends on the target size only
    scan.TargetWidth = c.width;
    scan.TargetHeight = c.height;
    if (c.message == nullptr) {
      EXPECT_EQ(scan.ComputeScale(c.minWidth, c.minHeight, c.maxWidth, c.maxHeight), c.scale);
    } else {
      try {
        scan.ComputeScale(c.minWidth, c.minHeight, c.maxWidth, c.maxHeight);
        ADD_FAILURE() << "no conflict raised";
      } catch (const EDrovixError& e) {
        EXPECT_EQ(e.what(), Ru(c.message));
      }
    }
  }
}

// A narrow page is enlarged before processing in a normal build and after
// it in a draft build; the other step leaves it alone and prints nothing.
TEST(ScalingTest, QualityDecidesWhichStepEnlargesANarrowPage) {
  const std::string enlarge = Shown("(масштабирую в 1.33 раза..") + ".).";
  for (const int32_t quality : {0, -1}) {
    SCOPED_TRACE(quality);
    auto scan = MakeScan(1000, 150, {.page = [](int32_t, int32_t) { return 90; }});
    const float s = scan->ComputeScale(200, 200, kNone, kNone);
    const std::string before = Captured([&] { scan->ScaleBeforeProcessing(quality, s); });
    EXPECT_EQ(before, quality == 0 ? enlarge : "");
    EXPECT_EQ(scan->Width(), quality == 0 ? 200 : 150);
    const std::string after = Captured([&] { scan->ScaleAfterProcessing(quality, s); });
    EXPECT_EQ(after, quality == 0 ? "" : enlarge);
    EXPECT_EQ(scan->Height(), 1333);
    EXPECT_EQ(scan->Width(), 200);
    EXPECT_EQ(scan->TargetHeight, 1333);
    EXPECT_EQ(scan->TargetWidth, 200);
    EXPECT_EQ(scan->Pixel(700, 100), 90);
  }
}

TEST(ScalingTest, APageWithinTheLimitsIsNotTouchedInDraftOrNormalBuilds) {
  for (const int32_t quality : {0, -1}) {
    auto scan = MakeScan(1500, 1000);
    scan->ContoursDone = true;
    const float s = scan->ComputeScale(200, 200, kNone, kNone);
    EXPECT_EQ(Captured([&] {
                scan->ScaleBeforeProcessing(quality, s);
                scan->ScaleAfterProcessing(quality, s);
              }),
              "");
    EXPECT_EQ(scan->Height(), 1500);
    EXPECT_EQ(scan->Width(), 1000);
    EXPECT_TRUE(scan->ContoursDone);  // nothing was resampled
  }
}

// Release builds work at twice the final size: with s = 1 the page is
// doubled by replication and halved again afterwards, which gives back the
// very pixels it started with.
template <class Scan>
void CheckReleaseDoublesThenHalves() {
  const int32_t h = 30, w = 20;
  TPlanes planes;
  planes.page = [](int32_t y, int32_t x) { return Noise(y, x, 1); };
  planes.transparency = [](int32_t y, int32_t x) { return Noise(y, x, 2); };
  planes.red = [](int32_t, int32_t x) { return x < 10 ? 200 : 0; };
  planes.green = [](int32_t, int32_t) { return 40; };
  planes.redPlane = [](int32_t y, int32_t x) { return Noise(y, x, 3); };
  planes.greenPlane = [](int32_t y, int32_t x) { return Noise(y, x, 4); };
  auto scan = MakeScan<Scan>(h, w, planes);
  scan->ContoursDone = true;

  EXPECT_EQ(Captured([&] { scan->ScaleBeforeProcessing(1, 1.0f); }),
            Shown("(увеличиваю вдвое..") + "." + ".).");
  EXPECT_EQ(scan->Scale, 2.0f);
  ASSERT_EQ(scan->Height(), 2 * h);
  ASSERT_EQ(scan->Width(), 2 * w);
  EXPECT_EQ(scan->TargetHeight, 2 * h);
  EXPECT_EQ(scan->TargetWidth, 2 * w);
  EXPECT_FALSE(scan->ContoursDone);
  EXPECT_EQ(scan->FillMask->Height(), 2 * h);
  EXPECT_EQ(scan->Contours->Width(), 2 * w);
  for (int32_t y = 0; y < 2 * h; ++y)
    for (int32_t x = 0; x < 2 * w; ++x) {
      ASSERT_EQ(scan->Pixel(y, x), planes.page(y / 2, x / 2)) << y << "," << x;
      ASSERT_EQ(scan->Transparency->Pixel(y, x), planes.transparency(y / 2, x / 2)) << y << "," << x;
      if constexpr (std::is_same_v<Scan, TDrovixColorMangaScan>) {
        ASSERT_EQ(scan->RedPlane->Pixel(y, x), planes.redPlane(y / 2, x / 2)) << y << "," << x;
        ASSERT_EQ(scan->GreenPlane->Pixel(y, x), planes.greenPlane(y / 2, x / 2)) << y << "," << x;
      }
    }
  // The markup is resampled, so its edge softens instead of repeating.
  EXPECT_EQ(scan->GreenMarkup->Pixel(33, 21), 40);
  EXPECT_EQ(scan->RedMarkup->Pixel(5, 18), 200);
  EXPECT_EQ(scan->RedMarkup->Pixel(5, 19), 100);
  EXPECT_EQ(scan->RedMarkup->Pixel(5, 20), 0);

  EXPECT_EQ(Captured([&] { scan->ScaleAfterProcessing(1, 1.0f); }),
            Shown("(масштабирую в 0.50 раза..") + ".).");
  EXPECT_EQ(scan->Scale, 0.5f);
  ASSERT_EQ(scan->Height(), h);
  ASSERT_EQ(scan->Width(), w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      ASSERT_EQ(scan->Pixel(y, x), planes.page(y, x)) << y << "," << x;
      ASSERT_EQ(scan->Transparency->Pixel(y, x), planes.transparency(y, x)) << y << "," << x;
      ASSERT_EQ(scan->RedMarkup->Pixel(y, x), planes.red(y, x)) << y << "," << x;
      if constexpr (std::is_same_v<Scan, TDrovixColorMangaScan>) {
        ASSERT_EQ(scan->RedPlane->Pixel(y, x), planes.redPlane(y, x)) << y << "," << x;
        ASSERT_EQ(scan->GreenPlane->Pixel(y, x), planes.greenPlane(y, x)) << y << "," << x;
      }
    }
}

TEST(ScalingTest, ReleaseDoublesThenHalvesAGreyPage) { CheckReleaseDoublesThenHalves<TDrovixMangaScan>(); }
TEST(ScalingTest, ReleaseDoublesThenHalvesAColourPage) {
  CheckReleaseDoublesThenHalves<TDrovixColorMangaScan>();
}

// No side of the release working page exceeds 4100; the second step brings
// it back to the final size.
TEST(ScalingTest, ReleaseWorkingPageIsCappedAt4100) {
  struct {
    int32_t height, width;
    float s;
    int32_t workHeight, workWidth;
    const char* shown;
  } const cases[] = {
      {3000, 10, 1.0f, 4100, 14, "(масштабирую в 1.37 раза.."},
      {10, 3000, 1.0f, 14, 4100, "(масштабирую в 1.37 раза.."},
      // A reduction below one half gives a factor under 1, which is raised to
      // 1: the page is resampled at its own size.
      {40, 30, 0.4f, 40, 30, "(масштабирую в 1.00 раза.."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    auto scan = MakeScan(c.height, c.width, {.page = [](int32_t y, int32_t x) { return Noise(y, x); }});
    const std::string shown = Captured([&] { scan->ScaleBeforeProcessing(1, c.s); });
    EXPECT_EQ(shown, Shown(c.shown) + ".).");
    EXPECT_EQ(scan->Height(), c.workHeight);
    EXPECT_EQ(scan->Width(), c.workWidth);
    EXPECT_LE(scan->Scale * c.height, 4100.001f);
    Captured([&] { scan->ScaleAfterProcessing(1, c.s); });
    EXPECT_EQ(scan->Height(), static_cast<int32_t>(std::nearbyint(c.height * static_cast<long double>(c.s))));
    EXPECT_EQ(scan->Width(), static_cast<int32_t>(std::nearbyint(c.width * static_cast<long double>(c.s))));
  }
}

// Resize resamples the picture and markup planes; the fill mask and the
// contours only take the new size, and the contours must be recomputed.
template <class Scan>
void CheckResizeTreatsEachPlane() {
  const auto ramp = [](int32_t, int32_t x) { return 8 * x; };
  auto scan = MakeScan<Scan>(20, 30, {ramp, ramp, ramp, ramp, ramp, ramp});
  Fill(*scan->FillMask, 20, 30, ramp);
  Fill(*scan->Contours, 20, 30, ramp);
  scan->ContoursDone = true;
  scan->Resize(20, 15);
  std::vector<const TDrovixGraph*> resampled = {scan.get(), scan->RedMarkup.get(), scan->GreenMarkup.get(),
                                                scan->Transparency.get()};
  if constexpr (std::is_same_v<Scan, TDrovixColorMangaScan>) {
    resampled.push_back(scan->RedPlane.get());
    resampled.push_back(scan->GreenPlane.get());
  }
  for (const TDrovixGraph* plane : resampled) {
    ASSERT_EQ(plane->Height(), 20);
    ASSERT_EQ(plane->Width(), 15);
    for (int32_t x = 0; x < 15; ++x) EXPECT_EQ(plane->Pixel(7, x), 16 * x);
  }
  for (const TDrovixGraph* plane : {scan->FillMask.get(), scan->Contours.get()}) {
    ASSERT_EQ(plane->Height(), 20);
    ASSERT_EQ(plane->Width(), 15);
    for (int32_t x = 0; x < 15; ++x) EXPECT_EQ(plane->Pixel(7, x), 8 * x);
  }
  EXPECT_FALSE(scan->ContoursDone);
}

TEST(ScalingTest, ResizeTreatsEachPlaneOfAGreyScan) { CheckResizeTreatsEachPlane<TDrovixMangaScan>(); }
TEST(ScalingTest, ResizeTreatsEachPlaneOfAColourScan) { CheckResizeTreatsEachPlane<TDrovixColorMangaScan>(); }

}  // namespace
}  // namespace drovix

// Loading a page scan: the plane split of grey and colour scans, corner
// marks, and the companion markup picture "<page>_".
#include <gtest/gtest.h>

#include <cmath>

#include "ScanTestUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

using scan_test::Rgba;
using scan_test::SplitScan;
using scan_test::TTempDir;
using scan_test::WriteTga;

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EDrovixError& e) {
    return e.what();
  }
  return "(no error)";
}

// Every alpha against every colour excess, and every blue against every
// green: the split must give what the formulas give in floating point.
TEST(SplitLayersTest, MarkupAndGreyFollowTheFormulasForEveryByte) {
  auto red = SplitScan(256, 256, [](int32_t y, int32_t x) { return Rgba(x, 0, 0, y); });
  auto green = SplitScan(256, 256, [](int32_t y, int32_t x) { return Rgba(0, x, 0, y); });
  auto grey = SplitScan(
      256, 256, [](int32_t y, int32_t x) { return Rgba(0, x, y, 255); }, "", false);
  for (int32_t y = 0; y < 256; ++y) {
    for (int32_t x = 0; x < 256; ++x) {
      const auto mark = static_cast<int32_t>(std::nearbyint(static_cast<long double>(y) / 255 * x));
      ASSERT_EQ(red->RedMarkup->Pixel(y, x), mark) << "alpha " << y << " red " << x;
      ASSERT_EQ(green->GreenMarkup->Pixel(y, x), mark) << "alpha " << y << " green " << x;
      ASSERT_EQ(red->Transparency->Pixel(y, x), 255 - y);
      // Grey page: blue y, green x, opaque.
      const int32_t b = y;
      const int32_t g = std::max(0, x - b);
      const float q = static_cast<float>(static_cast<long double>(std::max(1, b)) / std::max(1, b + g));
      const auto expected = static_cast<int32_t>(std::nearbyint(static_cast<long double>(b) / q));
      ASSERT_EQ(grey->GreenMarkup->Pixel(y, x), g);
      ASSERT_EQ(grey->Pixel(y, x), expected) << "blue " << b << " green " << x;
    }
  }
}

TEST(SplitLayersTest, GreyTransparentAndMarkedPixels) {
  struct Case {
    const char* what;
    int32_t pixel;
    int32_t red, green, transparency, grey;
  };
  const Case cases[] = {
      {"grey, opaque", Rgba(100, 100, 100, 255), 0, 0, 0, 100},
      {"grey, half transparent", Rgba(100, 100, 100, 128), 0, 0, 127, 100},
      {"red, fully transparent", Rgba(255, 0, 0, 0), 0, 0, 255, 0},
      {"red over blue 80", Rgba(255, 0, 80, 255), 175, 0, 0, 80},
      {"green added back onto blue", Rgba(10, 200, 50, 255), 0, 150, 0, 200},
      {"green over black blue", Rgba(0, 200, 0, 255), 0, 200, 0, 0},
      {"transparency 21", Rgba(7, 7, 7, 234), 0, 0, 21, 7},
      {"transparency 20", Rgba(7, 7, 7, 235), 0, 0, 20, 7},
  };
  const int32_t n = static_cast<int32_t>(std::size(cases));
  auto scan = SplitScan(1, n, [&](int32_t, int32_t x) { return cases[x].pixel; });
  for (int32_t x = 0; x < n; ++x) {
    SCOPED_TRACE(cases[x].what);
    EXPECT_EQ(scan->RedMarkup->Pixel(0, x), cases[x].red);
    EXPECT_EQ(scan->GreenMarkup->Pixel(0, x), cases[x].green);
    EXPECT_EQ(scan->Transparency->Pixel(0, x), cases[x].transparency);
    EXPECT_EQ(scan->Pixel(0, x), cases[x].grey);
  }
  // Transparency above 20: the half transparent, the fully transparent and the 21.
  EXPECT_EQ(scan->TransparentCount, 3);
  EXPECT_TRUE(scan->HasTransparency());
  EXPECT_EQ(scan->BlackLevel, 0);
  EXPECT_EQ(scan->WhiteLevel, 255);
  EXPECT_EQ(scan->Scale, 1.0f);
  EXPECT_EQ(scan->TargetWidth, n);
  EXPECT_EQ(scan->TargetHeight, 1);
  EXPECT_FALSE(scan->CornersFound);
  for (TDrovixGraph* plane : {scan->FillMask.get(), scan->Contours.get()}) {
    EXPECT_EQ(plane->Height(), 1);
    EXPECT_EQ(plane->Width(), n);
  }
}

TEST(SplitLayersTest, ColourScanKeepsChannelsAndTakesNoMarkupFromItsOwnPixels) {
  auto scan = SplitScan<TDrovixColorMangaScan>(1, 3, [](int32_t, int32_t x) {
    return x == 0 ? Rgba(255, 0, 0, 255) : x == 1 ? Rgba(10, 200, 50, 0) : Rgba(1, 2, 3, 235);
  });
  EXPECT_EQ(scan->Pixel(0, 0), 0);
  EXPECT_EQ(scan->RedPlane->Pixel(0, 0), 255);
  EXPECT_EQ(scan->Pixel(0, 1), 50);
  EXPECT_EQ(scan->GreenPlane->Pixel(0, 1), 200);
  EXPECT_EQ(scan->RedPlane->Pixel(0, 1), 10);
  EXPECT_EQ(scan->Transparency->Pixel(0, 1), 255);
  EXPECT_EQ(scan->Pixel(0, 2), 3);
  for (int32_t x = 0; x < 3; ++x) {
    EXPECT_EQ(scan->RedMarkup->Pixel(0, x), 0);
    EXPECT_EQ(scan->GreenMarkup->Pixel(0, x), 0);
  }
  EXPECT_EQ(scan->TransparentCount, 1);
  EXPECT_EQ(scan->Scale, 1.0f);
  EXPECT_EQ(scan->TargetWidth, 3);
  EXPECT_EQ(scan->WhiteLevel, 255);
}

TEST(SplitLayersTest, ColourCloneIsGreyByTheColourWeights) {
  auto scan = SplitScan<TDrovixColorMangaScan>(
      1, 2, [](int32_t, int32_t x) { return x == 0 ? Rgba(100, 200, 50) : Rgba(255, 255, 255); });
  std::unique_ptr<TDrovixGraph> grey = scan->Clone();
  EXPECT_EQ(grey->Pixel(0, 0), 140);
  EXPECT_EQ(grey->Pixel(0, 1), 255);
  EXPECT_EQ(grey->Width(), 2);
}

// Corner marks on a 100 x 120 page; each mark is a 3 x 3 blue block.
class CornersTest : public ::testing::Test {
 protected:
  static constexpr int32_t kH = 100, kW = 120;
  enum Mark { TL, TM, TR, BL, BM, BR };
  // Top-left pixel of each mark's block.
  static TCorner Block(Mark m) {
    switch (m) {
      case TL:
        return {2, 3};
      case TM:
        return {2, kW / 2 + 1};
      case TR:
        return {2, kW - 6};
      case BL:
        return {kH - 5, 3};
      case BM:
        return {kH - 5, kW / 2 - 3};
      case BR:
        return {kH - 5, kW - 6};
    }
    return {};
  }
  static std::unique_ptr<TDrovixMangaScan> Page(std::initializer_list<Mark> marks) {
    std::vector<Mark> list(marks);
    return SplitScan(kH, kW, [list](int32_t y, int32_t x) {
      for (Mark m : list) {
        const TCorner b = Block(m);
        if (y >= b.y && y < b.y + 3 && x >= b.x && x < b.x + 3) return Rgba(20, 60, 180);
      }
      // Bluish but not blue enough: B - max(R, G) = 100.
      return (x + y) % 7 == 0 ? Rgba(0, 50, 150) : Rgba(200, 200, 200);
    });
  }
};

TEST_F(CornersTest, NoBluePixelMeansNoCorners) {
  auto scan = Page({});
  EXPECT_FALSE(scan->CornersFound);
}

TEST_F(CornersTest, AllSixMarksAreFoundAtTheirInnermostPoint) {
  auto scan = Page({TL, TM, TR, BL, BM, BR});
  ASSERT_TRUE(scan->CornersFound);
  struct Expect {
    int row, column;
    float y, x;
  };
  const Expect expected[] = {
      {0, 0, 4, 5},      {0, 1, 4, kW / 2 + 3},      {0, 2, 4, kW - 6},
      {1, 0, kH - 5, 5}, {1, 1, kH - 5, kW / 2 - 3}, {1, 2, kH - 5, kW - 6},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(testing::Message() << "mark " << e.row << "," << e.column);
    EXPECT_EQ(scan->Corners[e.row][e.column].y, e.y);
    EXPECT_EQ(scan->Corners[e.row][e.column].x, e.x);
  }
}

TEST_F(CornersTest, AMissingCornerCompletesAParallelogramAndMiddlesAreMeans) {
  {
    auto scan = Page({TL, TR, BL});
    ASSERT_TRUE(scan->CornersFound);
    // bottom-right = bottom-left + top-right - top-left
    EXPECT_EQ(scan->Corners[1][2].y, kH - 5);
    EXPECT_EQ(scan->Corners[1][2].x, kW - 6);
    EXPECT_EQ(scan->Corners[0][1].y, 4);
    EXPECT_EQ(scan->Corners[0][1].x, (5 + kW - 6) / 2.0f);
    EXPECT_EQ(scan->Corners[1][1].x, (5 + kW - 6) / 2.0f);
  }
  {
    // A skewed set: top-left = top-right + bottom-left - bottom-right.
    auto scan = Page({TR, BL, BR, TM});
    EXPECT_EQ(scan->Corners[0][0].y, 4);
    EXPECT_EQ(scan->Corners[0][0].x, 5);
    EXPECT_EQ(scan->Corners[0][1].x, kW / 2 + 3);  // found, not averaged
  }
}

TEST_F(CornersTest, FewerThanThreeOuterCornersFailListingTheMarksFound) {
  const std::string head =
      Ru("Из четырёх угловых углов должно быть размечено минимум три!\n\rНайдена разметка углов: ");
  EXPECT_EQ(ErrorOf([] { Page({TL, TR}); }), head + Ru("левого-верхнего правого-верхнего "));
  EXPECT_EQ(ErrorOf([] {
              Page({BR, TM, TL, BM});
            }),
            head + Ru("левого-верхнего среднего-верхнего среднего-нижнего правого-нижнего "));
  EXPECT_EQ(ErrorOf([] { Page({BM}); }), head + Ru("среднего-нижнего "));
}

TEST_F(CornersTest, ColourScanLooksForNoCorners) {
  auto scan = SplitScan<TDrovixColorMangaScan>(kH, kW, [](int32_t, int32_t) { return Rgba(0, 0, 255); });
  EXPECT_FALSE(scan->CornersFound);
}

// The companion picture "<page>_" next to a page loaded from a file.
class ExternalMarkupTest : public ::testing::Test {
 protected:
  TTempDir dir;
  std::string page = dir.File("p01");
  static constexpr int32_t kH = 40, kW = 50;

  // Page: red 100 in rows 0..19, green 60 in columns 0..9, grey elsewhere.
  void WritePage() {
    WriteTga(page + ".tga", kH, kW, [](int32_t y, int32_t x) {
      if (x < 10) return Rgba(0, 60, 0);
      return y < 20 ? Rgba(100, 0, 0) : Rgba(90, 90, 90);
    });
  }
  // Companion: red 200 in columns 25..49, grey elsewhere, blue corners when asked.
  void WriteCompanion(int32_t h, int32_t w, bool corners) {
    WriteTga(page + "_.tga", h, w, [corners, w](int32_t y, int32_t x) {
      if (corners && y < 2 && (x < 2 || x >= w - 2)) return Rgba(0, 0, 255);
      if (corners && y >= 38 && x < 2) return Rgba(0, 0, 255);
      return x >= 25 ? Rgba(200, 0, 0) : Rgba(255, 255, 255);
    });
  }
};

TEST_F(ExternalMarkupTest, GreyPageMergesByMaximumAndTakesCorners) {
  WritePage();
  WriteCompanion(kH, kW, true);
  testing::internal::CaptureStdout();
  auto scan = TDrovixGraph::CreateFromFile<TDrovixMangaScan>(page);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("(gruzhu wneshnjuju razmetku."), std::string::npos) << out;
  EXPECT_NE(out.find(".).."), std::string::npos) << out;
  EXPECT_EQ(scan->RedMarkup->Pixel(0, 10), 100);   // page only
  EXPECT_EQ(scan->RedMarkup->Pixel(0, 30), 200);   // both: the larger
  EXPECT_EQ(scan->RedMarkup->Pixel(30, 30), 200);  // companion only
  EXPECT_EQ(scan->RedMarkup->Pixel(30, 10), 0);
  EXPECT_EQ(scan->GreenMarkup->Pixel(5, 5), 60);  // the page's own green stays
  EXPECT_TRUE(scan->CornersFound);
  EXPECT_EQ(scan->Corners[0][0].y, 1);
  EXPECT_EQ(scan->Corners[0][0].x, 1);
  // Completed: bottom-left (38, 1) + top-right (1, 48) - top-left (1, 1).
  EXPECT_EQ(scan->Corners[1][2].y, 38);
  EXPECT_EQ(scan->Corners[1][2].x, kW - 2);
}

TEST_F(ExternalMarkupTest, ColourPageTakesTheCompanionsMarkupAsItIs) {
  WritePage();
  WriteCompanion(kH, kW, false);
  auto scan = TDrovixGraph::CreateFromFile<TDrovixColorMangaScan>(page);
  EXPECT_EQ(scan->RedMarkup->Pixel(0, 10), 0);  // the page's own red is no markup
  EXPECT_EQ(scan->RedMarkup->Pixel(0, 30), 200);
  EXPECT_EQ(scan->GreenMarkup->Pixel(5, 5), 0);
  EXPECT_EQ(scan->RedPlane->Pixel(0, 10), 100);
  EXPECT_FALSE(scan->CornersFound);
}

TEST_F(ExternalMarkupTest, CompanionOfAnotherSizeFails) {
  WritePage();
  WriteCompanion(kH, kW + 1, false);
  EXPECT_EQ(ErrorOf([&] { TDrovixGraph::CreateFromFile<TDrovixMangaScan>(page); }),
            Format(Ru("Размеры картинки с разметкой \"%s\" (%dx%d)\n\r не совпадают с размерами основной "
                      "картинки, к коей оная разметка пристёгнута\n\r (\"%s\", %dx%d)"),
                   (page + "_").c_str(), kW + 1, kH, page.c_str(), kW, kH));
}

TEST_F(ExternalMarkupTest, PageCornersAreKeptOverTheCompanions) {
  // The page has its own three corners; the companion's are ignored.
  WriteTga(page + ".tga", kH, kW, [](int32_t y, int32_t x) {
    if ((y >= 2 && y < 4) && (x >= 2 && x < 4)) return Rgba(0, 0, 255);
    if ((y >= 2 && y < 4) && (x >= kW - 4 && x < kW - 2)) return Rgba(0, 0, 255);
    if ((y >= kH - 4 && y < kH - 2) && (x >= 2 && x < 4)) return Rgba(0, 0, 255);
    return Rgba(255, 255, 255);
  });
  WriteCompanion(kH, kW, true);
  auto scan = TDrovixGraph::CreateFromFile<TDrovixMangaScan>(page);
  EXPECT_EQ(scan->Corners[0][0].y, 3);
  EXPECT_EQ(scan->Corners[0][0].x, 3);
  EXPECT_EQ(scan->Corners[0][2].x, kW - 4);
}

}  // namespace
}  // namespace drovix

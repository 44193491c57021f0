// Saving a colour page: 24-bit BMP and 8-bit RGB PNG from the three planes,
// checked with an independent decoder.
#include <gtest/gtest.h>

#include "drovix_graph/raster/RasterTestUtil.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"

namespace drovix {
namespace {

// A 2 x 3 colour page: blue in the scan itself, red and green in their planes,
// with values outside 0..255 that must be clamped.
void MakePage(TDrovixColorMangaScan& scan) {
  test::Fill(scan, 2, 3, [](int y, int x) { return 10 * y + x; });
  scan.RedPlane = std::make_unique<TDrovixGraph>();
  scan.GreenPlane = std::make_unique<TDrovixGraph>();
  test::Fill(*scan.RedPlane, 2, 3, [](int y, int x) { return (y == 0 && x == 0) ? 300 : 200 + x; });
  test::Fill(*scan.GreenPlane, 2, 3, [](int y, int x) { return (y == 1 && x == 2) ? -40 : 100 + y; });
}

uint32_t Expected(int y, int x) {
  const uint32_t r = (y == 0 && x == 0) ? 255 : 200 + x;
  const uint32_t g = (y == 1 && x == 2) ? 0 : 100 + y;
  const uint32_t b = 10 * y + x;
  return r | (g << 8) | (b << 16) | 0xFF000000u;
}

TEST(ColorScanFilesTest, BmpHasThreeBytesPerPixelFromThePlanes) {
  test::TTempDir dir;
  TDrovixColorMangaScan scan;
  MakePage(scan);
  scan.SaveBMP(dir.File("page.bmp"));
  const auto b = test::ReadBytes(dir.File("page.bmp"));
  ASSERT_EQ(b.size(), 54u + 12 * 2);  // 9 bytes of data and 3 of padding per row
  EXPECT_EQ(b[28], 24);
  // Bottom row first: blue, green, red.
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.begin() + 66),
            (std::vector<uint8_t>{10, 101, 200, 11, 101, 201, 12, 0, 202, 0, 0, 0}));
  if (!test::HavePil()) GTEST_SKIP() << "python3-pil missing";
  const auto d = test::DecodeWithPil(dir.File("page.bmp"));
  ASSERT_EQ(d.height, 2);
  ASSERT_EQ(d.width, 3);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(d.rgba[y][x], Expected(y, x)) << y << "," << x;
}

TEST(ColorScanFilesTest, PngIsEightBitRgbFromThePlanes) {
  test::TTempDir dir;
  TDrovixColorMangaScan scan;
  MakePage(scan);
  scan.SavePNG(dir.File("page"), 2);  // the palette depth does not apply to colour pages
  const auto b = test::ReadBytes(dir.File("page.png"));
  ASSERT_GT(b.size(), 29u);
  EXPECT_EQ(b[24], 8);  // bit depth
  EXPECT_EQ(b[25], 2);  // RGB
  if (!test::HavePil()) GTEST_SKIP() << "python3-pil missing";
  const auto d = test::DecodeWithPil(dir.File("page.png"));
  EXPECT_EQ(d.mode, "RGB");
  ASSERT_EQ(d.height, 2);
  ASSERT_EQ(d.width, 3);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(d.rgba[y][x], Expected(y, x)) << y << "," << x;
}

}  // namespace
}  // namespace drovix

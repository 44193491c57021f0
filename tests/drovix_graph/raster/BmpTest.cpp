// BMP output: exact headers, padding and clamping, checked against an
// independent decoder.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "RasterTestUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/Bmp.h"
#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix {
namespace {

using test::TTempDir;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

TEST(BmpTest, GreyFileHeaderPaddingAndClamping) {
  TTempDir dir;
  const int32_t values[2][5] = {{-20, 0, 77, 255, 300}, {1, 2, 3, 4, 5}};
  TDrovixGraph g;
  test::Fill(g, 2, 5, [&](int y, int x) { return values[y][x]; });
  const std::string path = dir.File("page.bmp");
  g.SaveBMP(path);
  const auto b = test::ReadBytes(path);
  ASSERT_EQ(b.size(), 1078u + 8 * 2);  // 5 pixels pad to rows of 8 bytes
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(U32(b, 2), 1078u + 16);
  EXPECT_EQ(U32(b, 6), 0u);
  EXPECT_EQ(U32(b, 10), 1078u);
  EXPECT_EQ(U32(b, 14), 40u);
  EXPECT_EQ(U32(b, 18), 5u);
  EXPECT_EQ(U32(b, 22), 2u);
  EXPECT_EQ(U16(b, 26), 1u);
  EXPECT_EQ(U16(b, 28), 8u);
  EXPECT_EQ(U32(b, 30), 0u);
  EXPECT_EQ(U32(b, 34), 16u);
  EXPECT_EQ(U32(b, 38), 96u);
  EXPECT_EQ(U32(b, 42), 96u);
  EXPECT_EQ(U32(b, 46), 256u);
  EXPECT_EQ(U32(b, 50), 0u);
  for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(U32(b, 54 + 4 * i), i | (i << 8) | (i << 16)) << i;
  // Bottom row first, clamped, zero padding.
  const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 77, 255, 255, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 1078, b.end()), rows);

  if (!test::HavePil()) GTEST_SKIP() << "python3-pil missing: no independent decode";
  const auto d = test::DecodeWithPil(path);
  ASSERT_EQ(d.width, 5);
  ASSERT_EQ(d.height, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) {
      const uint32_t v = static_cast<uint32_t>(Clamp(values[y][x], 0, 255));
      EXPECT_EQ(d.rgba[y][x], v | (v << 8) | (v << 16) | 0xFF000000u) << y << "," << x;
    }
}

TEST(BmpTest, ColourFileRowsOfThreeBytesPadded) {
  TTempDir dir;
  const std::string path = dir.File("colour.bmp");
  // Row y, column x: blue 10y + x, green 100, red clamped from 300.
  WriteBmp24(path, 2, 3, [](int32_t y, uint8_t* out) {
    for (int x = 0; x < 2; ++x, out += 3) {
      out[0] = static_cast<uint8_t>(10 * y + x);
      out[1] = 100;
      out[2] = 255;
    }
  });
  const auto b = test::ReadBytes(path);
  ASSERT_EQ(b.size(), 54u + 8 * 3);  // 6 bytes of data and 2 of padding per row
  EXPECT_EQ(U32(b, 2), 54u + 24);
  EXPECT_EQ(U32(b, 10), 54u);
  EXPECT_EQ(U16(b, 28), 24u);
  EXPECT_EQ(U32(b, 34), 24u);
  EXPECT_EQ(U32(b, 38), 96u);
  EXPECT_EQ(U32(b, 46), 0u);
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.begin() + 62),
            (std::vector<uint8_t>{20, 100, 255, 21, 100, 255, 0, 0}));

  if (!test::HavePil()) GTEST_SKIP() << "python3-pil missing: no independent decode";
  const auto d = test::DecodeWithPil(path);
  ASSERT_EQ(d.width, 2);
  ASSERT_EQ(d.height, 3);
  EXPECT_EQ(d.rgba[0][1], 255u | (100u << 8) | (1u << 16) | 0xFF000000u);
  EXPECT_EQ(d.rgba[2][0], 255u | (100u << 8) | (20u << 16) | 0xFF000000u);
}

TEST(BmpTest, FailuresReplaceNothingAndLeaveNoTemporaryFile) {
  TTempDir dir;
  TDrovixGraph g;
  test::Fill(g, 1, 1, [](int, int) { return 9; });
  const std::string missing = dir.File("no-such-folder/page.bmp");
  try {
    g.SaveBMP(missing);
    FAIL();
  } catch (const EDrovixError& e) {
    EXPECT_EQ(e.what(), Ru("Упала процедура записи BMP файла \"") + missing + Ru("\": такой папки нет"));
  }
  const std::string path = dir.File("page.bmp");
  g.SaveBMP(path);
  const auto before = test::ReadBytes(path);
  EXPECT_THROW(WriteBmp8(path, 1, 1, [](int32_t, uint8_t*) { throw std::runtime_error("interrupted"); }),
               EDrovixError);
  EXPECT_EQ(test::ReadBytes(path), before);
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace drovix

#include "drovix_graph/raster/PictureSize.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "RasterTestUtil.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix {
namespace {

// The first bytes of a PNG file of the given size (signature, IHDR length
// and type, then the big-endian sides), as many as count.
std::vector<uint8_t> PngStart(uint32_t width, uint32_t height, size_t count = 24) {
  std::vector<uint8_t> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (const uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
  b.resize(count);
  return b;
}

std::vector<uint8_t> TgaHeader(uint16_t width, uint16_t height) {
  std::vector<uint8_t> b = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (const uint16_t v : {width, height}) {
    b.push_back(static_cast<uint8_t>(v & 255));
    b.push_back(static_cast<uint8_t>(v >> 8));
  }
  b.push_back(24);
  b.push_back(0);
  return b;
}

TEST(PictureSize, TheFileTheScanLoads) {
  test::TTempDir dir;
  const std::string both = dir.File("both"), tga = dir.File("tga"), broken = dir.File("broken");
  test::WriteBytes(both + ".png", PngStart(70000, 3));
  test::WriteBytes(both + ".tga", TgaHeader(10, 20));
  test::WriteBytes(tga + ".tga", TgaHeader(0x1234, 0x0102));
  // A PNG too short for its header is 0 x 0: the TGA beside it is not read.
  test::WriteBytes(broken + ".png", PngStart(5, 5, 23));
  test::WriteBytes(broken + ".tga", TgaHeader(10, 20));

  const auto size = [](const std::string& base) {
    const TPictureSize s = PictureFileSize(base);
    return std::to_string(s.Width) + "x" + std::to_string(s.Height);
  };
  SetPngDisabledForTesting(false);
  EXPECT_EQ(size(both), "70000x3");
  EXPECT_EQ(size(tga), "4660x258");
  EXPECT_EQ(size(broken), "0x0");
  EXPECT_EQ(size(dir.File("missing")), "0x0");
  SetPngDisabledForTesting(true);
  EXPECT_EQ(size(both), "10x20");
  EXPECT_EQ(size(broken), "10x20");
  SetPngDisabledForTesting(false);
}

}  // namespace
}  // namespace drovix

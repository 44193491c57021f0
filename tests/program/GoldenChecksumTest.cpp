// The checksum of a PNG page in the golden lists: the same pixels packed by
// another deflate (here stored blocks and no row filters, written by hand)
// give the same line as the program's own writer, and one changed pixel,
// another size or another channel layout gives a different one.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "GoldenSet.h"
#include "ProgramTestUtil.h"
#include "common/Crc32.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix::program_test {
namespace {

void Be32(std::string& out, uint32_t v) {
  for (int32_t shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift & 255);
}

void Chunk(std::string& png, const std::string& type, const std::string& data) {
  Be32(png, static_cast<uint32_t>(data.size()));
  png += type + data;
  Be32(png, test_common::Crc32(type + data));
}

// An 8-bit PNG of `channels` bytes per pixel, its zlib stream made of
// stored blocks of at most `block` bytes, so that its bytes differ from
// anything libpng writes.
std::string StoredPng(int32_t width, int32_t height, int32_t colourType, const std::vector<uint8_t>& data,
                      size_t block) {
  const size_t rowBytes = data.size() / height;
  std::string raw;
  for (int32_t y = 0; y < height; ++y) {
    raw += '\0';  // no filter
    raw.append(reinterpret_cast<const char*>(data.data()) + y * rowBytes, rowBytes);
  }
  std::string z = "\x78\x01";
  for (size_t at = 0; at < raw.size(); at += block) {
    const size_t n = std::min(block, raw.size() - at);
    z += static_cast<char>(at + n == raw.size() ? 1 : 0);
    z += static_cast<char>(n & 255);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 255);
    z += static_cast<char>(~n >> 8 & 255);
    z += raw.substr(at, n);
  }
  uint32_t a = 1, b = 0;
  for (const char ch : raw) {
    a = (a + static_cast<unsigned char>(ch)) % 65521;
    b = (b + a) % 65521;
  }
  Be32(z, b << 16 | a);
  std::string ihdr;
  Be32(ihdr, static_cast<uint32_t>(width));
  Be32(ihdr, static_cast<uint32_t>(height));
  ihdr += std::string{8, static_cast<char>(colourType), 0, 0, 0};
  std::string png = "\x89PNG\r\n\x1a\n";
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", "");
  return png;
}

std::vector<uint8_t> Pixels(int32_t width, int32_t height, int32_t channels) {
  std::vector<uint8_t> data(static_cast<size_t>(width) * height * channels);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>((i * 37 + i / 11) % 256);
  return data;
}

std::string LibPngContent(const std::string& dir, int32_t width, int32_t height, int32_t colourType,
                          const std::vector<uint8_t>& data) {
  const int32_t channels = colourType == kPngColourRgb ? 3 : 1;
  WritePNG(dir + "lib", width, height, 8, colourType, data, static_cast<size_t>(width) * channels, "no write",
           "no info");
  return golden::PngContent(dir + "lib.png");
}

std::string StoredContent(const std::string& dir, int32_t width, int32_t height, int32_t colourType,
                          const std::vector<uint8_t>& data, size_t block = 50) {
  WriteBytes(dir + "stored.png", StoredPng(width, height, colourType, data, block));
  return golden::PngContent(dir + "stored.png");
}

TEST(GoldenChecksum, PngPagesAreComparedByWhatTheyDecodeTo) {
  TempFolder dir;
  for (const int32_t colourType : {kPngColourGrey, kPngColourRgb}) {
    SCOPED_TRACE(colourType);
    const int32_t w = 37, h = 23, channels = colourType == kPngColourRgb ? 3 : 1;
    std::vector<uint8_t> data = Pixels(w, h, channels);
    const std::string line = LibPngContent(dir.Path(), w, h, colourType, data);
    EXPECT_NE(ReadBytes(dir.Path() + "lib.png"), (StoredPng(w, h, colourType, data, 50)));
    EXPECT_EQ(StoredContent(dir.Path(), w, h, colourType, data), line);
    EXPECT_EQ(StoredContent(dir.Path(), w, h, colourType, data, 7), line);
    EXPECT_TRUE(line.starts_with(std::to_string(w) + "x" + std::to_string(h) +
                                 (colourType == kPngColourRgb ? " rgb/8 " : " grey/8 ")))
        << line;

    // The last byte of the last pixel, the size (same bytes, rows of
    // another length) and the layout (the bytes read as grey) all count.
    data.back() ^= 1;
    EXPECT_NE(StoredContent(dir.Path(), w, h, colourType, data), line);
    data.back() ^= 1;
    EXPECT_NE(StoredContent(dir.Path(), h, w, colourType, data), line);
    if (colourType == kPngColourRgb) {
      EXPECT_NE(StoredContent(dir.Path(), w * 3, h, kPngColourGrey, data), line);
    }
  }
}

TEST(GoldenChecksum, FilesThatDoNotDecodeStillGetALine) {
  TempFolder dir;
  const std::string png = StoredPng(5, 4, kPngColourGrey, Pixels(5, 4, 1), 50);
  WriteBytes(dir.Path() + "cut.png", png.substr(0, png.size() - 30));
  WriteBytes(dir.Path() + "text.png", "not a picture at all, but long enough to have a header");
  EXPECT_TRUE(golden::PngContent(dir.Path() + "cut.png").starts_with("unreadable "));
  EXPECT_TRUE(golden::PngContent(dir.Path() + "text.png").starts_with("bytes "));
}

}  // namespace
}  // namespace drovix::program_test

// TGA files written by the tests and benchmarks as the scans, companions,
// font sheets and textures the program reads. Pixels come as packed colour
// (R bits 0-7, G 8-15, B 16-23, A 24-31), rows top to bottom; files store
// the bottom row first. Plain C++, no test framework.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace drovix::test_common {

enum class TTgaForm {
  kRaw24,      // uncompressed, 24 bits: alpha is dropped
  kRaw32,      // uncompressed, 32 bits
  kRle32Rows,  // run-length, 32 bits (the form that keeps alpha), raw packets within each row
  kRle32Runs,  // run-length, 32 bits, raw packets of 128 pixels running across rows
};

// The bytes of a TGA file of width x height pixels; colour(x, y) gives the
// packed colour of each.
template <class Colour>
std::string TgaBytes(int32_t width, int32_t height, TTgaForm form, const Colour& colour) {
  const bool rle = form == TTgaForm::kRle32Rows || form == TTgaForm::kRle32Runs;
  const bool alpha = form != TTgaForm::kRaw24;
  std::string bytes(18, '\0');
  bytes[2] = rle ? 10 : 2;
  bytes[12] = static_cast<char>(width & 255);
  bytes[13] = static_cast<char>(width >> 8);
  bytes[14] = static_cast<char>(height & 255);
  bytes[15] = static_cast<char>(height >> 8);
  bytes[16] = alpha ? 32 : 24;
  bytes[17] = alpha ? 8 : 0;  // alpha bits
  const size_t pixels = static_cast<size_t>(width) * height;
  bytes.reserve(bytes.size() + pixels * (alpha ? 4 : 3) + pixels / 128 + height + 1);
  const auto put = [&](int32_t x, int32_t y) {
    const uint32_t p = static_cast<uint32_t>(colour(x, y));
    bytes += static_cast<char>(p >> 16);  // blue
    bytes += static_cast<char>(p >> 8);   // green
    bytes += static_cast<char>(p);        // red
    if (alpha) bytes += static_cast<char>(p >> 24);
  };
  if (form == TTgaForm::kRle32Runs) {
    for (size_t i = 0; i < pixels; i += 128) {
      const size_t n = std::min<size_t>(128, pixels - i);
      bytes += static_cast<char>(n - 1);
      for (size_t k = i; k < i + n; ++k)
        put(static_cast<int32_t>(k % width), height - 1 - static_cast<int32_t>(k / width));
    }
    return bytes;
  }
  for (int32_t y = height - 1; y >= 0; --y) {
    for (int32_t x = 0; x < width; x += rle ? 128 : width) {
      const int32_t n = rle ? std::min(128, width - x) : width;
      if (rle) bytes += static_cast<char>(n - 1);
      for (int32_t k = x; k < x + n; ++k) put(k, y);
    }
  }
  return bytes;
}

// Writes bytes to path, making the folders on the way.
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent);
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace drovix::test_common

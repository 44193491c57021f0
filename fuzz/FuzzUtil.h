// Helpers shared by the file-based fuzz targets: a private folder made once
// per process, the program's console output silenced, and small pictures
// written as TGA files.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace drovix_fuzz {

// A fresh folder ending in '/', with an "out" folder in it, in memory where
// the system offers it (every run writes files, the record is even synced).
// Standard output goes to /dev/null: the program's progress would drown the
// fuzzer's log.
inline const std::string& Folder() {
  static const std::string folder = [] {
    std::error_code ec;
    const std::filesystem::path parent =
        std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (parent / "drovix-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    std::filesystem::create_directories(pattern + "/out");
    // Removed again when the fuzzer ends normally.
    static const struct TRemover {
      std::string path;
      ~TRemover() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
      }
    } remover{pattern};
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::close(null);
    return pattern + "/";
  }();
  return folder;
}

inline void WriteFile(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
inline void WriteFile(const std::string& path, const std::string& bytes) {
  WriteFile(path, bytes.data(), bytes.size());
}

// The 18-byte header of a TGA file: uncompressed (type 2) or run-length
// encoded (type 10), 24 or 32 bits per pixel.
inline std::string TgaHeader(int width, int height, bool compressed, int bits) {
  std::string h(18, '\0');
  h[2] = static_cast<char>(compressed ? 10 : 2);
  h[12] = static_cast<char>(width & 255);
  h[13] = static_cast<char>(width >> 8);
  h[14] = static_cast<char>(height & 255);
  h[15] = static_cast<char>(height >> 8);
  h[16] = static_cast<char>(bits);
  h[17] = static_cast<char>(bits == 32 ? 8 : 0);
  return h;
}

// An uncompressed 32-bit TGA of packed pixels (R, G, B, A bytes, rows top
// to bottom); the file stores the bottom row first.
inline void WriteTga(const std::string& base, int width, int height, const std::vector<uint32_t>& rgba) {
  std::string bytes = TgaHeader(width, height, false, 32);
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x) {
      const uint32_t p = rgba[static_cast<size_t>(y) * width + x];
      bytes += static_cast<char>((p >> 16) & 255);  // blue
      bytes += static_cast<char>((p >> 8) & 255);   // green
      bytes += static_cast<char>(p & 255);          // red
      bytes += static_cast<char>(p >> 24);          // alpha
    }
  WriteFile(base + ".tga", bytes);
}

inline uint32_t Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255) {
  return r | (g << 8) | (b << 16) | (a << 24);
}

// A 512 x 512 font sheet: every letter, digit and a few signs a solid bar in
// its cell, Ю the widest, so that the sheet loads and sets any text.
inline void WriteFontSheet(const std::string& base) {
  std::vector<uint32_t> px(512 * 512, Rgba(255, 255, 255));
  const auto bar = [&](int code, int top, int bottom, int width) {
    const int y0 = 32 * (code / 16), x0 = 32 * (code % 16);
    for (int y = y0 + top; y <= y0 + bottom; ++y)
      for (int x = x0; x < x0 + width; ++x) px[static_cast<size_t>(y) * 512 + x] = Rgba(0, 0, 0);
  };
  for (int code = 33; code < 256; ++code)
    if (code != 160 && code != 127) bar(code, 6 + code % 5, 25, 3 + code % 9);
  bar(222, 6, 25, 20);
  WriteTga(base, 512, 512, px);
}

}  // namespace drovix_fuzz

namespace drovix_fuzz {

// A scan pixel from one fuzz byte: the markup colours the program looks for
// (balloon red, sound green, corner blue, transparency) and greys, so that
// short inputs already draw meaningful pages.
inline uint32_t ScanPixel(uint8_t b) {
  switch (b % 12) {
    case 0:
      return Rgba(255, 255, 255);
    case 1:
      return Rgba(0, 0, 0);
    case 2:
      return Rgba(255, 0, 0);
    case 3:
      return Rgba(0, 255, 0);
    case 4:
      return Rgba(0, 0, 255);
    case 5:
      return Rgba(255, 255, 255, 0);
    case 6:
      return Rgba(40, 40, 40, b);
    case 7:
      return Rgba(250, 60, 60);
    case 8:
      return Rgba(60, 250, 60);
    case 9:
      return Rgba(255, 255, 255);
    case 10:
      return Rgba(b, b, b);
    default:
      return Rgba(b, 255 - b, b / 2, 255 - b / 4);
  }
}

// A page of width x height scan pixels taken from bytes (white where they
// run out), saved as "<base>.tga".
inline void WriteScan(const std::string& base, int width, int height, const uint8_t* bytes, size_t n) {
  std::vector<uint32_t> px(static_cast<size_t>(width) * height, Rgba(255, 255, 255));
  for (size_t i = 0; i < px.size() && i < n; ++i) px[i] = ScanPixel(bytes[i]);
  WriteTga(base, width, height, px);
}

// A white page of width x height with rectangles drawn on it, five bytes
// each: colour (as ScanPixel), top, left, height, width (wrapped into the
// page); balloons, sounds, lettering and corner marks come out of short
// inputs this way.
inline void WriteRectScan(const std::string& base, int width, int height, const uint8_t* bytes, size_t n) {
  std::vector<uint32_t> px(static_cast<size_t>(width) * height, Rgba(255, 255, 255));
  for (size_t i = 0; i + 5 <= n; i += 5) {
    const uint32_t colour = ScanPixel(bytes[i]);
    const int top = bytes[i + 1] % height, left = bytes[i + 2] % width;
    const int bottom = std::min(height, top + 1 + bytes[i + 3] % height);
    const int right = std::min(width, left + 1 + bytes[i + 4] % width);
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) px[static_cast<size_t>(y) * width + x] = colour;
  }
  WriteTga(base, width, height, px);
}

}  // namespace drovix_fuzz

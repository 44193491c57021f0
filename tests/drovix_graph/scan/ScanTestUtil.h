// Helpers for the markup, fill, contour and error-marking tests: packed
// pixels, scans split in memory, temporary folders, TGA files with alpha and
// a reader for the 8-bit and 24-bit BMP files the program writes, and the
// note that follows a failure once _error.bmp is saved.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/TempFolder.h"
#include "common/TgaFile.h"
#include "driver/console/Cp1251.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix::scan_test {

// A pixel as the file readers deliver it: R bits 0-7 ... A bits 24-31.
constexpr int32_t Rgba(int32_t r, int32_t g, int32_t b, int32_t a = 255) {
  return static_cast<int32_t>(static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
                              static_cast<uint32_t>(b) << 16 | static_cast<uint32_t>(a) << 24);
}

using TPixelFn = std::function<int32_t(int32_t y, int32_t x)>;

// A scan loaded "from memory": the packed pixels, then the corner search and
// the plane split, as the file loader runs them (the corner search can be
// left out for pages full of blue that are no corner marks).
template <class Scan = TDrovixMangaScan>
std::unique_ptr<Scan> SplitScan(int32_t h, int32_t w, const TPixelFn& pixel, const std::string& fileName = "",
                                bool detectCorners = true) {
  auto scan = std::make_unique<Scan>();
  scan->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) scan->Pixel(y, x) = pixel(y, x);
  scan->FileName = fileName;
  if (detectCorners) scan->DetectCorners();
  scan->SplitLayers();
  return scan;
}

class TTempDir : public test_common::TTempFolder {
 public:
  TTempDir() : TTempFolder("drovix_scan") {}
  // Absolute, without a closing '/'.
  const std::string& Path() const { return Dir(); }
};

// Writes a 32-bit run-length TGA of raw packets (the uncompressed form drops
// alpha), rows bottom-up as the format stores them.
inline void WriteTga(const std::string& path, int32_t h, int32_t w, const TPixelFn& pixel) {
  test_common::WriteFileBytes(path, test_common::TgaBytes(w, h, test_common::TTgaForm::kRle32Runs,
                                                          [&](int32_t x, int32_t y) { return pixel(y, x); }));
}

// A BMP file as rows of pixels, top row first: grey values for 8-bit files,
// R | G << 8 | B << 16 for 24-bit ones. Empty when the file is missing.
struct TBmp {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 0;
  std::vector<std::vector<int32_t>> rows;
};

inline TBmp ReadBmp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TBmp bmp;
  if (b.size() < 54) return bmp;
  auto u32 = [&](size_t o) {
    return static_cast<int32_t>(b[o] | b[o + 1] << 8 | b[o + 2] << 16 |
                                static_cast<uint32_t>(b[o + 3]) << 24);
  };
  bmp.width = u32(18);
  bmp.height = u32(22);
  bmp.bits = b[28];
  const size_t offset = static_cast<size_t>(u32(10));
  const size_t bytesPerPixel = bmp.bits == 24 ? 3 : 1;
  const size_t rowSize = (static_cast<size_t>(bmp.width) * bytesPerPixel + 3) / 4 * 4;
  if (b.size() < offset + rowSize * static_cast<size_t>(bmp.height)) return bmp;
  bmp.rows.assign(static_cast<size_t>(bmp.height), std::vector<int32_t>(static_cast<size_t>(bmp.width)));
  for (int32_t y = 0; y < bmp.height; ++y) {
    const uint8_t* row = &b[offset + rowSize * static_cast<size_t>(bmp.height - 1 - y)];
    for (int32_t x = 0; x < bmp.width; ++x) {
      const uint8_t* p = row + static_cast<size_t>(x) * bytesPerPixel;
      bmp.rows[static_cast<size_t>(y)][static_cast<size_t>(x)] =
          bytesPerPixel == 3 ? (p[2] | p[1] << 8 | p[0] << 16) : p[0];
    }
  }
  return bmp;
}

// What a failure message gets after it once the marked page is saved as
// _error.bmp.
inline const std::string& ErrorBmpNote() {
  static const std::string note =
      "\n\r\n\r" + Ru("Недоделаный скан с отмеченным местом ошибки был сохранён как _error.bmp\n\r") +
      Ru(" (в ту папку, где лежат исходники сканов)");
  return note;
}

}  // namespace drovix::scan_test

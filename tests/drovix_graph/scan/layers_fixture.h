// Small in-memory pages for the layer tests: a scan with all its planes, a
// painter for green sound markings, and a temporary folder for texture files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix::layers_test {

inline std::unique_ptr<TDrovixGraph> Plane(int32_t h, int32_t w, int32_t value) {
  auto p = std::make_unique<TDrovixGraph>();
  p->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) p->Pixel(y, x) = value;
  return p;
}

// Gives a scan of h x w the planes it has after loading: the page filled with
// grey, no markup, nothing transparent.
inline void Prepare(TDrovixMangaScan& s, int32_t h, int32_t w, int32_t grey) {
  s.SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) s.Pixel(y, x) = grey;
  s.GreenMarkup = Plane(h, w, 0);
  s.RedMarkup = Plane(h, w, 0);
  s.Transparency = Plane(h, w, 0);
  s.FillMask = Plane(h, w, 0);
  s.Contours = Plane(h, w, 0);
  s.Scale = 1.0f;
  s.TargetHeight = h;
  s.TargetWidth = w;
}

inline void PrepareColour(TDrovixColorMangaScan& s, int32_t h, int32_t w, int32_t r, int32_t g, int32_t b) {
  Prepare(s, h, w, b);
  s.RedPlane = Plane(h, w, r);
  s.GreenPlane = Plane(h, w, g);
}

// Paints green markup of the given strength over rows y0..y1, columns x0..x1.
inline void PaintGreen(TDrovixMangaScan& s, int32_t y0, int32_t x0, int32_t y1, int32_t x1,
                       int32_t strength) {
  for (int32_t y = y0; y <= y1; ++y)
    for (int32_t x = x0; x <= x1; ++x) s.GreenMarkup->Pixel(y, x) = strength;
}

// Colour number of the script for R, G, B.
constexpr int32_t Rgb(int32_t r, int32_t g, int32_t b) { return 16777216 + r * 65536 + g * 256 + b; }

class TTempDir {
 public:
  TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "drovix_layers_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Writes an uncompressed 24-bit TGA (rows stored bottom-up); pixels are given
// top row first as {R, G, B}.
struct TRgbPixel {
  uint8_t r, g, b;
};
inline void WriteTga(const std::string& path, int32_t h, int32_t w, const std::vector<TRgbPixel>& pixels) {
  std::vector<uint8_t> bytes = {0,
                                0,
                                2,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                static_cast<uint8_t>(w & 255),
                                static_cast<uint8_t>(w >> 8),
                                static_cast<uint8_t>(h & 255),
                                static_cast<uint8_t>(h >> 8),
                                24,
                                0};
  for (int32_t y = h - 1; y >= 0; --y)
    for (int32_t x = 0; x < w; ++x) {
      const TRgbPixel& p = pixels[static_cast<size_t>(y * w + x)];
      bytes.insert(bytes.end(), {p.b, p.g, p.r});
    }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace drovix::layers_test

// Page scans built in memory for the scaling, deformation, level-cleaning and
// grain tests: every plane a loaded scan has, filled by functions, plus a
// console capture and a small deterministic noise source.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix::scaling_test {

using TPixelFn = std::function<int32_t(int32_t y, int32_t x)>;

// Sizes the raster; value (all zero when empty) gives the pixels.
inline void Fill(TDrovixGraph& g, int32_t h, int32_t w, const TPixelFn& value) {
  g.SetSize(h, w);
  if (!value) return;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) g.Pixel(y, x) = value(y, x);
}

inline std::unique_ptr<TDrovixGraph> Plane(int32_t h, int32_t w, const TPixelFn& value) {
  auto p = std::make_unique<TDrovixGraph>();
  Fill(*p, h, w, value);
  return p;
}

// The planes of a scan, as functions of (y, x), empty for all zero; colour
// planes are used by colour scans only.
struct TPlanes {
  TPixelFn page{};
  TPixelFn red{};    // RedMarkup
  TPixelFn green{};  // GreenMarkup
  TPixelFn transparency{};
  TPixelFn redPlane{};
  TPixelFn greenPlane{};
};

// A scan in the state the loader leaves it: all planes, Scale 1, target size
// the page's, levels 0 and 255.
template <class Scan = TDrovixMangaScan>
std::unique_ptr<Scan> MakeScan(int32_t h, int32_t w, const TPlanes& planes = {}) {
  auto scan = std::make_unique<Scan>();
  Fill(*scan, h, w, planes.page);
  scan->RedMarkup = Plane(h, w, planes.red);
  scan->GreenMarkup = Plane(h, w, planes.green);
  scan->Transparency = Plane(h, w, planes.transparency);
  scan->FillMask = Plane(h, w, {});
  scan->Contours = Plane(h, w, {});
  if constexpr (std::is_same_v<Scan, TDrovixColorMangaScan>) {
    scan->RedPlane = Plane(h, w, planes.redPlane);
    scan->GreenPlane = Plane(h, w, planes.greenPlane);
  }
  scan->Scale = 1.0f;
  scan->TargetHeight = h;
  scan->TargetWidth = w;
  scan->BlackLevel = 0;
  scan->WhiteLevel = 255;
  return scan;
}

// Whatever f writes to standard output.
template <class F>
std::string Captured(F&& f) {
  testing::internal::CaptureStdout();
  try {
    f();
  } catch (...) {
    testing::internal::GetCapturedStdout();
    throw;
  }
  return testing::internal::GetCapturedStdout();
}

// The console form of a program text.
inline std::string Shown(std::string_view utf8) { return Transliterate(Ru(utf8)); }

// Deterministic pixel noise 0 .. 255 (also usable modulo smaller ranges).
inline int32_t Noise(int32_t y, int32_t x, uint32_t seed = 1) {
  uint32_t v = static_cast<uint32_t>(y) * 73856093u ^ static_cast<uint32_t>(x) * 19349663u ^ seed * 83492791u;
  v ^= v >> 13;
  v *= 0x5bd1e995u;
  v ^= v >> 15;
  return static_cast<int32_t>(v & 255u);
}

}  // namespace drovix::scaling_test

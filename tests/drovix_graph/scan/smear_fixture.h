// Small page scans built in memory for the text-removal tests: every plane of
// a loaded scan, pixels set by functions, and helpers to mark pixels
// transparent, read planes back and capture the console.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix::smear_test {

using TPixelFn = std::function<int32_t(int32_t y, int32_t x)>;

inline std::unique_ptr<TDrovixGraph> Plane(int32_t h, int32_t w, const TPixelFn& value) {
  auto p = std::make_unique<TDrovixGraph>();
  p->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) p->Pixel(y, x) = value(y, x);
  return p;
}

inline TPixelFn Flat(int32_t v) {
  return [v](int32_t, int32_t) { return v; };
}

// Gives a scan of h x w the markup, transparency, fill and contour planes a
// loaded page has, all empty, and its size as the target size.
inline void AddLoadedPlanes(TDrovixMangaScan& s, int32_t h, int32_t w) {
  s.GreenMarkup = Plane(h, w, Flat(0));
  s.RedMarkup = Plane(h, w, Flat(0));
  s.Transparency = Plane(h, w, Flat(0));
  s.FillMask = Plane(h, w, Flat(0));
  s.Contours = Plane(h, w, Flat(0));
  s.TargetHeight = h;
  s.TargetWidth = w;
}

// A grey scan of h x w with the planes of a loaded page; nothing transparent.
inline std::unique_ptr<TDrovixMangaScan> GreyScan(int32_t h, int32_t w, const TPixelFn& grey) {
  auto s = std::make_unique<TDrovixMangaScan>();
  s->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) s->Pixel(y, x) = grey(y, x);
  AddLoadedPlanes(*s, h, w);
  return s;
}

// A colour scan: the raster holds blue, the two planes red and green.
inline std::unique_ptr<TDrovixColorMangaScan> ColourScan(int32_t h, int32_t w, const TPixelFn& red,
                                                         const TPixelFn& green, const TPixelFn& blue) {
  auto s = std::make_unique<TDrovixColorMangaScan>();
  s->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) s->Pixel(y, x) = blue(y, x);
  s->RedPlane = Plane(h, w, red);
  s->GreenPlane = Plane(h, w, green);
  AddLoadedPlanes(*s, h, w);
  return s;
}

// Sets the transparency of one pixel and keeps TransparentCount as loading
// leaves it (pixels above 20).
inline void SetTransparency(TDrovixMangaScan& s, int32_t y, int32_t x, int32_t t) {
  int32_t& cell = s.Transparency->Pixel(y, x);
  s.TransparentCount += (t > 20 ? 1 : 0) - (cell > 20 ? 1 : 0);
  cell = t;
}

// Lettering for a 40 x 40 flat page: a 6 x 5 black block (rows 17-22,
// columns 18-22) inside a one-pixel soft rim.
inline bool InLettering(int32_t y, int32_t x) { return y >= 17 && y < 23 && x >= 18 && x < 23; }

// The page's values: flat, the lettering black.
inline TPixelFn Lettered(int32_t flat) {
  return [flat](int32_t y, int32_t x) { return InLettering(y, x) ? 0 : flat; };
}

// Makes the lettering transparent and its rim soft (transparency 16: neither
// refilled nor copied from).
inline void MarkLettering(TDrovixMangaScan& s) {
  for (int32_t y = 16; y < 24; ++y)
    for (int32_t x = 17; x < 24; ++x) SetTransparency(s, y, x, InLettering(y, x) ? 255 : 16);
}

inline std::vector<int32_t> Pixels(const TDrovixGraph& g) {
  std::vector<int32_t> v;
  for (int32_t y = 0; y < g.Height(); ++y)
    for (int32_t x = 0; x < g.Width(); ++x) v.push_back(g.Pixel(y, x));
  return v;
}

// What the console shows for a program text.
inline std::string Shown(std::string_view utf8) { return Transliterate(Ru(utf8)); }

// Runs the smear and returns what it printed.
inline std::string SmearPrinting(TDrovixMangaScan& s) {
  testing::internal::CaptureStdout();
  s.Smear();
  return testing::internal::GetCapturedStdout();
}

struct TMethodCase {
  TSmear method;
  const char* name;
  const char* progress;  // the text printed before the pixels are refilled
};

inline const std::vector<TMethodCase>& AllMethods() {
  static const std::vector<TMethodCase> cases = {
      {SDRAFT, "SDRAFT", ".замазываю наспех.."},
      {SSIMPLE, "SSIMPLE", ".замазываю.."},
      {SHARD, "SHARD", ".замазываю.."},
      {SCIRCULAR, "SCIRCULAR", ".замазываю.."},
      {SSMARTER, "SSMARTER", ".замазываю вдумчиво.."},
      {STRICKY, "STRICKY", ".замазываю вдумчиво.."},
      {SPICKY, "SPICKY", ".замазываю вдумчиво.."},
      {SSELECTIVE, "SSELECTIVE", ".замазываю вдумчиво.."},
      {SPATTERN, "SPATTERN", ".замазываю по узору.."},
  };
  return cases;
}

// The methods smear_reference.h transcribes: all but the pattern fill, whose
// result depends on how well places of the page match, not on a formula.
inline const std::vector<TMethodCase>& ReferenceMethods() {
  static const std::vector<TMethodCase> cases = [] {
    std::vector<TMethodCase> v;
    for (const TMethodCase& m : AllMethods())
      if (m.method != SPATTERN) v.push_back(m);
    return v;
  }();
  return cases;
}

}  // namespace drovix::smear_test

// The sound step of a page: 5 sounds of 300 x 300 pixels on a 2000 x 3000
// page, each drawn with a black fill and a white outline reaching 12 pixels
// (distance field radius 14). Two shapes: solid discs and letter-like strokes
// (every pixel near an edge). Prints the time of every sound and the total.
//
// Then enlarged pages, where the distance field reaches far: a 5 x 1 page
// worked on 400 times larger (2000 x 400) with an outline of 1 and 2 pixels
// (radius 402 and 802), the first with an inset layer too (the inner depths
// of a region up to 392 pixels deep), and a 1000 x 1400 page made 4000 wide (scale 4,
// 4000 x 5600) with a 30-pixel outline around a sound of letter-like strokes
// (radius 122).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "drovix_graph/scan/TDrovixMangaScan.h"

using namespace drovix;

namespace {

std::unique_ptr<TDrovixGraph> Plane(int32_t h, int32_t w) {
  auto p = std::make_unique<TDrovixGraph>();
  p->SetSize(h, w);
  return p;
}

// A 300 x 300 sound at (top, left) of full strength with a rim fading over
// its outer 3 pixels: a solid disc of diameter 300, or strokes 24 pixels wide
// (a frame with a cross) like the letters of a sound effect.
void PaintSound(TDrovixMangaScan& s, int32_t top, int32_t left, int32_t strength, bool strokes) {
  const double r = 150, half = 12;
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x = 0; x < 300; ++x) {
      const double cy = y + 0.5, cx = x + 0.5;
      double depth;  // distance to the shape's edge, inside
      if (strokes) {
        const double frame = std::min(std::min(cy, 300 - cy), std::min(cx, 300 - cx));
        const double bar = std::max(half - std::fabs(cy - r), half - std::fabs(cx - r));
        depth = std::max(std::min(frame, 2 * half - frame), bar);
      } else {
        depth = r - std::sqrt((cy - r) * (cy - r) + (cx - r) * (cx - r));
      }
      if (depth < 0) continue;
      const double fade = depth < 3 ? depth / 3 : 1;
      s.GreenMarkup->Pixel(top + y, left + x) = static_cast<int32_t>(5 + (strength - 5) * fade);
    }
}

std::unique_ptr<TDrovixMangaScan> MakePage(bool strokes) {
  const int32_t h = 3000, w = 2000;
  auto s = std::make_unique<TDrovixMangaScan>();
  s->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) s->Pixel(y, x) = 200;
  s->GreenMarkup = Plane(h, w);
  s->RedMarkup = Plane(h, w);
  s->Transparency = Plane(h, w);
  s->FillMask = Plane(h, w);
  s->Contours = Plane(h, w);
  s->Scale = 1.0f;
  s->TargetHeight = h;
  s->TargetWidth = w;
  // Strengths more than 15 apart, strongest first, so each is its own sound.
  const int32_t strengths[5] = {250, 220, 190, 160, 130};
  for (int32_t i = 0; i < 5; ++i) PaintSound(*s, 200 + i * 550, 200 + (i % 2) * 1200, strengths[i], strokes);
  return s;
}

// A page of h x w with the planes the sound step uses; the markup planes it
// does not touch are left small.
std::unique_ptr<TDrovixMangaScan> BarePage(int32_t h, int32_t w, float scale) {
  auto s = std::make_unique<TDrovixMangaScan>();
  s->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) s->Pixel(y, x) = 200;
  s->GreenMarkup = Plane(h, w);
  s->FillMask = Plane(h, w);
  s->RedMarkup = Plane(1, 1);
  s->Transparency = Plane(1, 1);
  s->Contours = Plane(1, 1);
  s->Scale = scale;
  s->TargetHeight = h;
  s->TargetWidth = w;
  return s;
}

double RenderMs(TDrovixMangaScan& s, const char* layers) {
  const auto t0 = std::chrono::steady_clock::now();
  s.RenderLayers(layers);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void EnlargedPages() {
  std::printf("\n%-34s %10s\n", "enlarged pages", "ms");
  // 5 x 1 with a full green middle pixel, enlarged 400 times by linear
  // interpolation: the green fades over 400 columns on either side.
  for (const char* layers : {"%128,1,0.5,", "%128,2,0.5,", "%0,-1,0,%128,1,0.5,"}) {
    auto s = BarePage(400, 2000, 400.0f);
    for (int32_t y = 0; y < 400; ++y)
      for (int32_t x = 0; x < 2000; ++x)
        s->GreenMarkup->Pixel(y, x) =
            static_cast<int32_t>(255 * std::max(0.0, 1 - std::fabs(x + 0.5 - 1000) / 400));
    std::printf("  5 x 1 at 400x, %-20s %8.1f\n", layers, RenderMs(*s, layers));
  }
  // 1000 x 1400 at scale 4: a 300 x 300 sound of strokes (1200 x 1200 here,
  // its 3-pixel rim 12 pixels wide), a 30-pixel outline.
  {
    auto s = BarePage(5600, 4000, 4.0f);
    const double r = 600, half = 48, rim = 12;
    for (int32_t y = 0; y < 1200; ++y)
      for (int32_t x = 0; x < 1200; ++x) {
        const double cy = y + 0.5, cx = x + 0.5;
        const double frame = std::min(std::min(cy, 1200 - cy), std::min(cx, 1200 - cx));
        const double bar = std::max(half - std::fabs(cy - r), half - std::fabs(cx - r));
        const double depth = std::max(std::min(frame, 2 * half - frame), bar);
        if (depth < 0) continue;
        const double fade = depth < rim ? depth / rim : 1;
        s->GreenMarkup->Pixel(2000 + y, 1400 + x) = static_cast<int32_t>(5 + 250 * fade);
      }
    std::printf("  %-32s %10.1f\n", "1000 x 1400 at 4x, %0,0,0,%255,30,0", RenderMs(*s, "%0,0,0,%255,30,0,"));
  }
}

}  // namespace

// With the argument "enlarged", only the enlarged pages.
int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "enlarged") == 0) {
    EnlargedPages();
    return 0;
  }
  std::printf("%-34s %10s\n", "sound step, 2000 x 3000 page", "ms");
  for (const bool strokes : {false, true}) {
    auto s = MakePage(strokes);
    double times[5];
    const auto start = std::chrono::steady_clock::now();
    for (int32_t i = 0; i < 5; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      s->RenderLayers("%0,0,1,%255,10,1,");  // C0 = 1, C1 = 12
      times[i] = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    }
    const double total =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("\n");
    const char* shape = strokes ? "strokes" : "disc";
    for (int32_t i = 0; i < 5; ++i)
      std::printf("  sound %d (%-7s 300 x 300, r 14) %10.1f\n", i + 1, shape, times[i]);
    std::printf("  %-32s %10.1f\n", "total", total);
  }
  EnlargedPages();
  return 0;
}

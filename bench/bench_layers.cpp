// The sound step of a page: 5 sounds of 300 x 300 pixels on a 2000 x 3000
// page, each drawn with a black fill and a white outline reaching 12 pixels
// (distance field radius 14). Two shapes: solid discs and letter-like strokes
// (every pixel near an edge). Prints the time of every sound and the total.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
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

}  // namespace

int main() {
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
    for (int32_t i = 0; i < 5; ++i) std::printf("  sound %d (%-7s 300 x 300, r 14) %10.1f\n", i + 1, shape, times[i]);
    std::printf("  %-32s %10.1f\n", "total", total);
  }
  return 0;
}

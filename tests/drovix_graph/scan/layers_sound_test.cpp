// Whole sounds: the green marking found, its distance field extended and the
// layers of a description drawn from the outermost to the innermost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "layers_fixture.h"

namespace drovix {
namespace {

using namespace layers_test;

// A grey 40 x 40 page with an 8 x 8 sound (rows and columns 10..17) of full
// green; with a rim, a one-pixel ring of half green around it.
void PrepareSound(TDrovixMangaScan& s, int32_t grey, bool rim) {
  Prepare(s, 40, 40, grey);
  if (rim) PaintGreen(s, 9, 9, 18, 18, 128);
  PaintGreen(s, 10, 10, 17, 17, 255);
}

TEST(LayersSound, BlackLettersWithWhiteOutline) {
  TDrovixMangaScan s;
  PrepareSound(s, 128, true);
  // Weak green, too faint to belong to the sound: the outline covers the
  // first and leaves the second.
  s.GreenMarkup->Pixel(13, 21) = 3;
  s.GreenMarkup->Pixel(13, 30) = 3;
  // Black: thickness 0, blur 1, so C0 = 1; white: thickness 3, blur 1, so
  // C1 = 1 + 3 + 1 = 5. The white layer goes first, the black one over it.
  s.RenderLayers("%0,0,1,%255,3,1,");

  static const struct {
    int32_t y, x, pixel;
  } cases[] = {
      {13, 17, 0},                   // core
      {13, 18, 0},                   // rim, weight 50
      {13, 19, 128},                 // m 150: black at alpha 0.5 over white, 127.5 to the even 128
      {13, 20, 255},                 // m 250: white only
      {13, 22, 255}, {13, 23, 192},  // m 550: white at alpha 0.5 over 128, 191.5 to the even 192
      {13, 24, 128},                 // m 650: beyond the white layer's reach of 6
      {13, 8, 128},                  // the same on the left side
      {13, 4, 192},  {13, 3, 128},  {19, 19, 232},  // m 191 off the rim's corner: black at alpha 0.09
      {4, 13, 192},  {24, 13, 128},
  };
  for (const auto& c : cases) EXPECT_EQ(s.Pixel(c.y, c.x), c.pixel) << c.y << "," << c.x;

  EXPECT_EQ(s.GreenMarkup->Pixel(13, 21), 0);
  EXPECT_EQ(s.GreenMarkup->Pixel(13, 30), 3);
  for (int32_t y = 9; y <= 18; ++y)
    for (int32_t x = 9; x <= 18; ++x) ASSERT_EQ(s.GreenMarkup->Pixel(y, x), 0) << y << "," << x;
  EXPECT_EQ(s.SoundNumber, 1);
  EXPECT_EQ(s.FillGradient, 7);  // trunc(5 + 2)
  EXPECT_EQ(s.MinY, 2);
  EXPECT_EQ(s.MaxY, 25);
  EXPECT_EQ(s.MinX, 2);
  EXPECT_EQ(s.MaxX, 25);
}

TEST(LayersSound, ScaledPageWidensThicknessAndBlur) {
  TDrovixMangaScan s;
  PrepareSound(s, 255, false);
  s.Scale = 2;
  // Thickness 3 grows to 6 pixels, blur 0.5 to 0.5 x sqrt(2), stored as 0.71.
  s.RenderLayers("%0,3,0.5,");
  static const struct {
    int32_t y, x, pixel;
  } cases[] = {
      {13, 23, 0},    // 6 pixels out
      {13, 24, 255},  // 7 pixels out
      {21, 21, 0},    // m 566
      {19, 23, 115},  // m 632: alpha 0.549
      {21, 22, 144},  // m 640: alpha 0.437
      {20, 23, 255},  // m 671: just past the fade
  };
  for (const auto& c : cases) EXPECT_EQ(s.Pixel(c.y, c.x), c.pixel) << c.y << "," << c.x;
  EXPECT_EQ(s.FillGradient, 8);
}

TEST(LayersSound, NegativeFirstLayerDrawsAnInset) {
  TDrovixMangaScan s;
  Prepare(s, 50, 50, 128);
  PaintGreen(s, 20, 20, 30, 30, 255);
  // Black 2 pixels inside the shape's edge, white from there to 1 pixel out.
  s.RenderLayers("%0,-2,0,%255,3,0,");
  const int32_t expected[] = {128, 128, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 128};
  for (int32_t x = 17; x <= 32; ++x) EXPECT_EQ(s.Pixel(25, x), expected[x - 17]) << "column " << x;
  for (int32_t y = 17; y <= 32; ++y) EXPECT_EQ(s.Pixel(y, 25), expected[y - 17]) << "row " << y;
  EXPECT_EQ(s.Pixel(21, 21), 255);
  EXPECT_EQ(s.Pixel(22, 22), 0);
  EXPECT_EQ(s.FillMask->Pixel(25, 25), -500);
}

TEST(LayersSound, TextureLayerIsLookedUpBesideTheScan) {
  TTempDir dir;
  WriteTga(dir.Path() + "/tex.tga", 3, 3,
           {{0, 10, 0},
            {0, 20, 0},
            {0, 250, 0},
            {0, 30, 0},
            {0, 40, 0},
            {0, 250, 0},
            {0, 250, 0},
            {0, 250, 0},
            {0, 250, 0}});
  TDrovixMangaScan s;
  PrepareSound(s, 255, false);
  s.FileName = dir.Path() + "/page";
  s.RenderLayers("tex,0,0,");
  // The box grew by 2 to start at (8, 8): the tiles start there.
  EXPECT_EQ(s.Pixel(10, 10), 10);
  EXPECT_EQ(s.Pixel(10, 11), 20);
  EXPECT_EQ(s.Pixel(11, 10), 30);
  EXPECT_EQ(s.Pixel(17, 17), 40);
  EXPECT_EQ(s.Pixel(13, 18), 255);
}

TEST(LayersSound, EachSoundGetsItsOwnField) {
  TDrovixMangaScan s;
  Prepare(s, 40, 40, 128);
  PaintGreen(s, 5, 5, 10, 10, 250);    // first: strongest
  PaintGreen(s, 25, 25, 30, 30, 200);  // second
  s.RenderLayers("%0,0,0,%255,6,0,");
  s.RenderLayers("%0,0,0,%255,1,0,");
  EXPECT_EQ(s.SoundNumber, 2);
  EXPECT_EQ(s.FillGradient, 3);
  EXPECT_EQ(s.Pixel(8, 16), 255);   // 6 pixels off the first sound
  EXPECT_EQ(s.Pixel(28, 31), 255);  // 1 pixel off the second
  EXPECT_EQ(s.Pixel(28, 32), 128);
  EXPECT_EQ(s.Pixel(28, 28), 0);
}

// The distance field against a plain search: every pixel outside the region
// holds the smallest rim weight + round(100 x distance) over the region pixels
// within R rows and R columns, on an irregular sound with a soft rim.
TEST(LayersSound, DistanceFieldMatchesAPlainSearch) {
  TDrovixMangaScan s;
  const int32_t h = 40, w = 50;
  Prepare(s, h, w, 128);
  PaintGreen(s, 12, 14, 27, 37, 255);  // wide enough for windows with no pixel outside
  uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int32_t blob = 0; blob < 12; ++blob) {
    const int32_t cy = 8 + static_cast<int32_t>(next() % 24), cx = 8 + static_cast<int32_t>(next() % 34);
    const int32_t rr = 1 + static_cast<int32_t>(next() % 5);
    for (int32_t y = cy - rr - 1; y <= cy + rr + 1; ++y)
      for (int32_t x = cx - rr - 1; x <= cx + rr + 1; ++x) {
        const int32_t d2 = (y - cy) * (y - cy) + (x - cx) * (x - cx);
        int32_t& g = s.GreenMarkup->Pixel(y, x);
        if (d2 <= rr * rr)
          g = 255;
        else if (d2 <= (rr + 1) * (rr + 1) && g < 255)
          g = std::max(g, 40 + static_cast<int32_t>(next() % 200));
      }
  }
  s.RenderLayers("%0,0,0,%255,4,0,");  // radius 6
  const int32_t r = 6;
  ASSERT_EQ(s.FillGradient, r);
  const TDrovixGraph& m = *s.FillMask;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      if (m.Pixel(y, x) < 100) continue;  // region
      int64_t best = kFillOutside;
      for (int32_t py = std::max(0, y - r); py <= std::min(h - 1, y + r); ++py)
        for (int32_t px = std::max(0, x - r); px <= std::min(w - 1, x + r); ++px) {
          if (m.Pixel(py, px) >= 100) continue;
          const double d = std::sqrt(static_cast<double>((py - y) * (py - y) + (px - x) * (px - x)));
          best = std::min<int64_t>(best, static_cast<int64_t>(std::nearbyint(100 * d)) + m.Pixel(py, px));
        }
      ASSERT_EQ(m.Pixel(y, x), best) << y << "," << x;
    }
}

}  // namespace
}  // namespace drovix

// Laying a typeset balloon into the page: the background (grey, colour,
// transparent, cleaned by colour key), the red markup consumed and the text
// drawn with its style.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "layers_fixture.h"

namespace drovix {
namespace {

using namespace layers_test;

// The balloon raster: 20 x 20 at page (5, 5); its top left corner (three
// pixels) lies outside the balloon; ink 0 over raster rows and columns
// 8..11 (page 13..16), and one grey ink pixel 128 at page (13, 17).
std::unique_ptr<TDrovixGraph> MakeBalloon() {
  auto b = Plane(20, 20, 255);
  b->Pixel(0, 0) = b->Pixel(0, 1) = b->Pixel(1, 0) = -1;
  for (int32_t y = 8; y <= 11; ++y)
    for (int32_t x = 8; x <= 11; ++x) b->Pixel(y, x) = 0;
  b->Pixel(8, 12) = 128;
  return b;
}

// Gives a 30 x 30 scan the balloon's box and red markup over the whole box.
void PlaceBalloon(TDrovixMangaScan& s) {
  s.MinY = s.MinX = 5;
  s.MaxY = s.MaxX = 24;
  for (int32_t y = 5; y <= 24; ++y)
    for (int32_t x = 5; x <= 24; ++x) s.RedMarkup->Pixel(y, x) = 200;
}

// A grey page: 100 left of column 15, 200 from it on.
void PrepareGreyPage(TDrovixMangaScan& s) {
  Prepare(s, 30, 30, 100);
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 15; x < 30; ++x) s.Pixel(y, x) = 200;
  PlaceBalloon(s);
}

TEST(LayersText, GreyPageBackgrounds) {
  static const struct {
    int32_t background;
    int32_t paperLeft, paperRight, greyInk;
  } cases[] = {
      // The grey ink pixel has weight 50: black at alpha 0.2857 over what
      // lies under it.
      {-1, 100, 200, 143},  // transparent: the drawing stays
      {255, 255, 255, 182},
      {Rgb(200, 100, 50), 120, 120, 86},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "background " << c.background);
    TDrovixMangaScan s;
    PrepareGreyPage(s);
    const auto balloon = MakeBalloon();
    s.LayText(*balloon, c.background, "", "%0,0,0.7,");
    EXPECT_EQ(s.Pixel(10, 10), c.paperLeft);
    EXPECT_EQ(s.Pixel(20, 20), c.paperRight);
    EXPECT_EQ(s.Pixel(13, 18), c.paperRight);  // paper beside the ink
    EXPECT_EQ(s.Pixel(13, 13), 0);
    EXPECT_EQ(s.Pixel(16, 16), 0);
    EXPECT_EQ(s.Pixel(13, 17), c.greyInk);
    EXPECT_EQ(s.Pixel(5, 5), 100);   // outside the balloon's shape
    EXPECT_EQ(s.Pixel(4, 10), 100);  // outside its box
    EXPECT_EQ(s.RedMarkup->Pixel(10, 10), 0);
    EXPECT_EQ(s.RedMarkup->Pixel(24, 24), 0);
    EXPECT_EQ(s.RedMarkup->Pixel(5, 5), 200);
    EXPECT_TRUE(s.TextMode);
    EXPECT_EQ(s.SoundNumber, 1);
    EXPECT_EQ(s.FillMask->Pixel(13, 18), 150);  // the text's distance field
    EXPECT_EQ(s.FillMask->Pixel(0, 0), kFillOutside);
  }
}

TEST(LayersText, ColourPageBackgrounds) {
  static const struct {
    int32_t background;
    int32_t r, g, b;
  } cases[] = {
      {-1, 10, 20, 30},
      {255, 255, 255, 255},
      {0, 0, 0, 0},
      {Rgb(200, 100, 50), 200, 100, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "background " << c.background);
    TDrovixColorMangaScan s;
    PrepareColour(s, 30, 30, 10, 20, 30);
    PlaceBalloon(s);
    const auto balloon = MakeBalloon();
    s.LayText(*balloon, c.background, "", "%0,0,0.7,");
    EXPECT_EQ(s.RedPlane->Pixel(20, 20), c.r);
    EXPECT_EQ(s.GreenPlane->Pixel(20, 20), c.g);
    EXPECT_EQ(s.Pixel(20, 20), c.b);
    EXPECT_EQ(s.RedPlane->Pixel(14, 14), 0);
    EXPECT_EQ(s.GreenPlane->Pixel(14, 14), 0);
    EXPECT_EQ(s.Pixel(14, 14), 0);
    EXPECT_EQ(s.RedPlane->Pixel(5, 5), 10);
    EXPECT_EQ(s.GreenPlane->Pixel(5, 5), 20);
    EXPECT_EQ(s.Pixel(5, 5), 30);
  }
}

// Records the text removal the colour-key cleaning asks for.
class TRecordingScan : public TDrovixColorMangaScan {
 public:
  int32_t Smears = 0;
  void Smear() override { ++Smears; }
};

void PaintRgb(TDrovixColorMangaScan& s, int32_t y, int32_t x, int32_t r, int32_t g, int32_t b) {
  s.RedPlane->Pixel(y, x) = r;
  s.GreenPlane->Pixel(y, x) = g;
  s.Pixel(y, x) = b;
}

TEST(LayersText, ColourKeyMarksBalloonPixelsAndCallsTextRemoval) {
  TRecordingScan s;
  PrepareColour(s, 30, 30, 220, 200, 180);
  PlaceBalloon(s);
  PaintRgb(s, 10, 10, 0, 0, 0);  // lettering
  PaintRgb(s, 10, 11, 0, 0, 0);
  PaintRgb(s, 20, 20, 30, 30, 30);    // distance 30 from black: below 40
  PaintRgb(s, 22, 22, 40, 40, 40);    // distance 40: kept
  PaintRgb(s, 5, 5, 0, 0, 0);         // black, but outside the balloon's shape
  PaintRgb(s, 18, 8, 255, 255, 255);  // white: the grey key 255
  PaintRgb(s, 18, 12, 255, 255, 0);   // yellow: not grey
  s.Transparency->Pixel(0, 0) = 255;  // left from before: cleared first
  s.TransparentCount = 99;
  const auto balloon = MakeBalloon();
  // Black within 40, disc of radius 1; white within 10, the pixel alone.
  s.LayText(*balloon, -1, "16777216,40,1,255,10,0,", "%0,0,0.7,");

  EXPECT_EQ(s.Smears, 1);
  std::vector<std::pair<int32_t, int32_t>> marked = {
      {9, 10},  {9, 11},  {10, 9},  {10, 10}, {10, 11}, {10, 12}, {11, 10}, {11, 11},  // the lettering
      {19, 20}, {20, 19}, {20, 20}, {20, 21}, {21, 20},                                // the dark grey pixel
      {18, 8}};
  int32_t count = 0;
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 30; ++x) {
      const bool expected = std::find(marked.begin(), marked.end(), std::make_pair(y, x)) != marked.end();
      EXPECT_EQ(s.Transparency->Pixel(y, x), expected ? 255 : 0) << y << "," << x;
      count += expected;
    }
  EXPECT_EQ(s.TransparentCount, count);
}

TEST(LayersText, TransparentColourBalloonWithoutKeysIsLeftAlone) {
  TRecordingScan s;
  PrepareColour(s, 30, 30, 220, 200, 180);
  PlaceBalloon(s);
  s.Transparency->Pixel(0, 0) = 255;
  s.TransparentCount = 1;
  const auto balloon = MakeBalloon();
  s.LayText(*balloon, -1, "", "%0,0,0.7,");
  EXPECT_EQ(s.Smears, 0);
  EXPECT_EQ(s.Transparency->Pixel(0, 0), 255);
  EXPECT_EQ(s.TransparentCount, 1);
  EXPECT_EQ(s.RedPlane->Pixel(20, 20), 220);
}

TEST(LayersText, EveryTextGetsItsOwnDistanceField) {
  TDrovixMangaScan s;
  Prepare(s, 60, 60, 128);
  PaintGreen(s, 40, 40, 47, 47, 255);
  s.RenderLayers("%0,0,0,%255,10,0,");  // field radius 12
  ASSERT_EQ(s.FillGradient, 12);

  s.MinY = s.MinX = 5;
  s.MaxY = s.MaxX = 24;
  const auto balloon = MakeBalloon();
  balloon->Pixel(8, 12) = 255;
  // A white outline 2 pixels wide: a field of radius 4, below the sound's.
  s.LayText(*balloon, -1, "", "%0,0,0.7,%255,2,0,");
  EXPECT_EQ(s.FillGradient, 4);
  EXPECT_EQ(s.Pixel(13, 16), 0);
  EXPECT_EQ(s.Pixel(13, 17), 255);
  EXPECT_EQ(s.Pixel(13, 18), 255);
  EXPECT_EQ(s.Pixel(13, 19), 128);
  EXPECT_EQ(s.Pixel(12, 12), 255);  // m 141 off the ink's corner
  EXPECT_EQ(s.Pixel(11, 11), 128);  // m 283: past the outline
}

}  // namespace
}  // namespace drovix

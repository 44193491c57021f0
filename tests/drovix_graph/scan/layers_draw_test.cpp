// One layer drawn over a prepared distance field: reach, fade, hard edges,
// colours on grey and colour pages, textures and where they are anchored.
#include <gtest/gtest.h>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "layers_fixture.h"

namespace drovix {
namespace {

using namespace layers_test;

// A 1 x 1 white page whose only pixel lies at distance m (hundredths).
void PreparePixel(TDrovixMangaScan& s, int32_t m) {
  Prepare(s, 1, 1, 255);
  s.FillMask->Pixel(0, 0) = m;
  s.GreenMarkup->Pixel(0, 0) = 77;
  s.MinX = s.MaxX = s.MinY = s.MaxY = 0;
}

TEST(LayersDraw, ColourLayerFadesAndStopsAtThicknessPlusOne) {
  static const struct {
    float thickness, blur;
    int32_t m;
    int32_t pixel, green;
  } cases[] = {
      // alpha = (blur + thickness - m / 100) / blur, clamped to 0..1
      {2, 5, 0, 0, 0},
      {2, 5, 200, 0, 0},
      {2, 5, 260, 31, 0},    // alpha 0.88
      {2, 5, 299, 50, 0},    // alpha 0.802
      {2, 5, 300, 255, 77},  // alpha would be 0.8, but the reach ends at 3
      {2, 5, kFillOutside, 255, 77},
      {1, 20, 199, 13, 0},    // alpha 0.9505
      {1, 20, 200, 255, 77},  // a wide blur does not stretch the reach
      // blur 0 counts as 0.01: a hard edge right at the thickness
      {2, 0, 150, 0, 0},
      {2, 0, 200, 0, 0},
      {2, 0, 201, 255, 77},  // alpha negative: neither painted nor unmarked
      // a negative thickness reaches only pixels deep inside the region
      {-2, 0, -200, 0, 0},
      {-2, 0, -100, 255, 77},
  };
  for (const auto& c : cases) {
    TDrovixMangaScan s;
    PreparePixel(s, c.m);
    s.DrawLayerColour(0, c.thickness, c.blur);
    SCOPED_TRACE(testing::Message() << "thickness " << c.thickness << " blur " << c.blur << " m " << c.m);
    EXPECT_EQ(s.Pixel(0, 0), c.pixel);
    EXPECT_EQ(s.GreenMarkup->Pixel(0, 0), c.green);
  }
}

TEST(LayersDraw, ColourNumbersOnGreyAndColourPages) {
  static const struct {
    int32_t colour;
    int32_t grey;     // on a grey page
    int32_t r, g, b;  // on a colour page
  } cases[] = {
      {0, 0, 0, 0, 0},
      {255, 255, 255, 255, 255},  // a grey level paints grey on a colour page too
      {128, 128, 128, 128, 128},
      {Rgb(200, 100, 50), 120, 200, 100, 50},  // 60 + 50 + 10
      {Rgb(1, 0, 1), 0, 1, 0, 1},              // 0.5 rounds to the even 0
      {Rgb(0, 3, 0), 2, 0, 3, 0},              // 1.5 rounds to the even 2
      {Rgb(1, 0, 21), 5, 1, 0, 21},            // 4.5, but 0.3 + 4.2 in extended precision lies above it
      {Rgb(0, 0, 0), 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "colour " << c.colour);
    TDrovixMangaScan grey;
    PreparePixel(grey, 0);
    grey.DrawLayerColour(c.colour, 0, 0.7f);
    EXPECT_EQ(grey.Pixel(0, 0), c.grey);

    TDrovixColorMangaScan colour;
    PreparePixel(colour, 0);
    colour.RedPlane = Plane(1, 1, 7);
    colour.GreenPlane = Plane(1, 1, 7);
    colour.DrawLayerColour(c.colour, 0, 0.7f);
    EXPECT_EQ(colour.RedPlane->Pixel(0, 0), c.r);
    EXPECT_EQ(colour.GreenPlane->Pixel(0, 0), c.g);
    EXPECT_EQ(colour.Pixel(0, 0), c.b);
    EXPECT_EQ(colour.GreenMarkup->Pixel(0, 0), 0);
  }
}

TEST(LayersDraw, ColourPageBlendsEachPlane) {
  TDrovixColorMangaScan s;
  PreparePixel(s, 260);  // alpha 0.88 for thickness 2, blur 5
  s.RedPlane = Plane(1, 1, 255);
  s.GreenPlane = Plane(1, 1, 255);
  s.DrawLayerColour(Rgb(200, 100, 50), 2, 5);
  EXPECT_EQ(s.Pixel(0, 0), 75);               // 30.6 + 44
  EXPECT_EQ(s.GreenPlane->Pixel(0, 0), 119);  // 30.6 + 88
  EXPECT_EQ(s.RedPlane->Pixel(0, 0), 207);    // 30.6 + 176
}

// A 3 x 3 texture: its tiles are the top left 2 x 2 pixels; the last row and
// column (250) are never sampled.
std::string WriteTexture(const TTempDir& dir) {
  const std::string base = dir.Path() + "/tex";
  WriteTga(base + ".tga", 3, 3,
           {{1, 10, 100},
            {2, 20, 110},
            {250, 250, 250},
            {3, 30, 120},
            {4, 40, 130},
            {250, 250, 250},
            {250, 250, 250},
            {250, 250, 250},
            {250, 250, 250}});
  return base;
}

// A white 10 x 10 page whose bounding box, rows 3..9 and columns 4..9, is
// all region.
void PrepareBox(TDrovixMangaScan& s) {
  Prepare(s, 10, 10, 255);
  s.MinY = 3;
  s.MaxY = 9;
  s.MinX = 4;
  s.MaxX = 9;
}

TEST(LayersDraw, TextureIsAnchoredAtTheBoxCornerAndSizedByTheScale) {
  TTempDir dir;
  const std::string tex = WriteTexture(dir);

  TDrovixMangaScan s;
  PrepareBox(s);
  s.DrawLayerTexture(tex, 1, 0);
  // A grey page takes the green channel: 10 20 / 30 40, from (3, 4) on.
  EXPECT_EQ(s.Pixel(3, 4), 10);
  EXPECT_EQ(s.Pixel(3, 5), 20);
  EXPECT_EQ(s.Pixel(4, 4), 30);
  EXPECT_EQ(s.Pixel(4, 5), 40);
  EXPECT_EQ(s.Pixel(5, 6), 10);
  EXPECT_EQ(s.Pixel(9, 9), 20);
  EXPECT_EQ(s.Pixel(2, 4), 255);  // above the box
  EXPECT_EQ(s.Pixel(3, 3), 255);  // left of the box

  // On a page scaled by 2 every texture pixel covers 2 x 2 page pixels.
  TDrovixMangaScan scaled;
  PrepareBox(scaled);
  scaled.Scale = 2;
  scaled.DrawLayerTexture(tex, 1, 0);
  EXPECT_EQ(scaled.Pixel(3, 4), 10);
  EXPECT_EQ(scaled.Pixel(5, 4), 30);
  EXPECT_EQ(scaled.Pixel(5, 6), 40);
  EXPECT_EQ(scaled.Pixel(7, 8), 10);  // texture row 2 and column 2 wrap to 0
  EXPECT_EQ(scaled.Pixel(5, 8), 30);

  TDrovixColorMangaScan colour;
  PrepareBox(colour);
  colour.RedPlane = Plane(10, 10, 255);
  colour.GreenPlane = Plane(10, 10, 255);
  colour.DrawLayerTexture(tex, 1, 0);
  EXPECT_EQ(colour.Pixel(4, 5), 130);
  EXPECT_EQ(colour.GreenPlane->Pixel(4, 5), 40);
  EXPECT_EQ(colour.RedPlane->Pixel(4, 5), 4);
  EXPECT_EQ(colour.Pixel(3, 4), 100);
  EXPECT_EQ(colour.GreenPlane->Pixel(3, 4), 10);
  EXPECT_EQ(colour.RedPlane->Pixel(3, 4), 1);
}

TEST(LayersDraw, TextureReachesThicknessPlusTwo) {
  TTempDir dir;
  const std::string tex = WriteTexture(dir);
  static const struct {
    float thickness, blur;
    int32_t m;
    int32_t pixel, greyGreen, colourGreen;
  } cases[] = {
      {1, 20, 299, 34, 0, 0},     // alpha 0.9005 towards texel 10
      {1, 20, 300, 255, 77, 77},  // beyond thickness + 2
      {1, 0, 250, 255, 0, 77},    // within reach but alpha negative
      {1, 0, 100, 10, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "thickness " << c.thickness << " blur " << c.blur << " m " << c.m);
    TDrovixMangaScan grey;
    PreparePixel(grey, c.m);
    grey.DrawLayerTexture(tex, c.thickness, c.blur);
    EXPECT_EQ(grey.Pixel(0, 0), c.pixel);
    EXPECT_EQ(grey.GreenMarkup->Pixel(0, 0), c.greyGreen);

    TDrovixColorMangaScan colour;
    PreparePixel(colour, c.m);
    colour.RedPlane = Plane(1, 1, 255);
    colour.GreenPlane = Plane(1, 1, 255);
    colour.DrawLayerTexture(tex, c.thickness, c.blur);
    EXPECT_EQ(colour.GreenPlane->Pixel(0, 0), c.pixel);  // texel green 10
    EXPECT_EQ(colour.GreenMarkup->Pixel(0, 0), c.colourGreen);
  }
}

TEST(LayersDraw, MissingTextureFileFails) {
  TTempDir dir;
  TDrovixMangaScan s;
  PrepareBox(s);
  EXPECT_THROW(s.DrawLayerTexture(dir.Path() + "/nothing", 1, 0), EDrovixError);
}

TEST(LayersDraw, MalformedDescriptionIsRefusedBeforeAnySoundIsTaken) {
  TDrovixMangaScan s;
  Prepare(s, 4, 4, 255);
  try {
    s.RenderLayers("%0,abc,1,");
    FAIL() << "no failure";
  } catch (const EDrovixError& e) {
    EXPECT_EQ(e.what(), Ru("Не могу разобрать описание слоёв \"%0,abc,1,\": \"abc\" - не число и не цвет."));
  }
  EXPECT_EQ(s.SoundNumber, 0);
}

}  // namespace
}  // namespace drovix

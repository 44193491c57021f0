// Textures: tiling with a period one less than the size, grey and colour
// sampling, smoothing, and the refusal of pictures too small to tile.
#include <gtest/gtest.h>

#include "RasterTestUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/TDrovixColorTexture.h"
#include "drovix_graph/raster/TDrovixTexture.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix {
namespace {

using Bytes = std::vector<uint8_t>;

int32_t Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16) | (255 << 24); }

// An uncompressed 24-bit TGA of h x w whose pixel (y, x) is colour(y, x).
template <class F>
void WriteTga(const std::string& path, int w, int h, F colour) {
  Bytes b = {0, 0,  2, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(w), 0, static_cast<uint8_t>(h),
             0, 24, 0};
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const int32_t c = colour(y, x);
      b.push_back(static_cast<uint8_t>(c >> 16));
      b.push_back(static_cast<uint8_t>(c >> 8));
      b.push_back(static_cast<uint8_t>(c));
    }
  test::WriteBytes(path, b);
}

TEST(TDrovixTextureTest, TilesWithPeriodOneLessThanItsSize) {
  TDrovixTexture t;
  test::Fill(t, 5, 3, [](int y, int x) { return y * 10 + x; });
  for (int r : {0, 4, 8}) EXPECT_EQ(t.Sample(r, 0), 0) << r;  // row 4 of the file is never returned
  EXPECT_EQ(t.Sample(5, 1), 11);
  EXPECT_EQ(t.Sample(3, 2), 30);  // column 2 wraps to 0
  EXPECT_EQ(t.Sample(7, 5), 31);
  EXPECT_EQ(t.Sample(-1, -1), 31);  // behind the anchor: wraps the same way

  TDrovixTexture two;
  test::Fill(two, 2, 2, [](int y, int x) { return 1 + y * 2 + x; });
  for (int r = 0; r < 4; ++r) EXPECT_EQ(two.Sample(r, r), 1) << r;  // period 1
}

TEST(TDrovixTextureTest, SmoothSampleWrapsAndUsesSquaredWeights) {
  TDrovixTexture t;
  test::Fill(t, 3, 3, [](int y, int x) { return (y + x) % 2 ? 255 : 0; });
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(t.SmoothSample(float(y), float(x)), t.Sample(y, x));
  EXPECT_EQ(t.SmoothSample(0.5f, 0.5f), 128);  // 127.5 to the even 128
  EXPECT_EQ(t.SmoothSample(1.5f, 1.5f), 128);  // +1 neighbours wrap to row and column 0
  TDrovixTexture ramp;
  test::Fill(ramp, 2, 3, [](int, int x) { return x * 100; });
  EXPECT_EQ(ramp.SmoothSample(0.0f, 0.25f), 10);
}

TEST(TDrovixTextureTest, ColourTextureSamplesGreyAndChannels) {
  TDrovixColorTexture t;
  test::Fill(t, 2, 3, [](int y, int x) { return Rgb(100 + y, 200 + x, 50); });
  EXPECT_EQ(t.Sample(0, 0), 140);  // 30 + 100 + 10
  EXPECT_EQ(t.SampleChannel(0, 1, TDrovixColorTexture::CRED), 100);
  EXPECT_EQ(t.SampleChannel(0, 1, TDrovixColorTexture::CGREEN), 201);
  EXPECT_EQ(t.SampleChannel(0, 1, TDrovixColorTexture::CBLUE), 50);
  EXPECT_EQ(t.SampleChannel(1, 2, TDrovixColorTexture::CGREEN), 200);  // wraps to (0, 0)
  EXPECT_EQ(t.Sample(0, 1), 140);              // 30 + 100.5 + 10 = 140.5, to the even 140
  EXPECT_EQ(t.Sample(1, 1), 140);              // 30.3 + 100.5 + 10 = 140.8: row 1 wraps to row 0
  EXPECT_EQ(t.SmoothSample(0.0f, 0.5f), 140);  // smooths the grey samples, not the channels
  EXPECT_EQ(t.SmoothSampleChannel(0.0f, 0.5f, TDrovixColorTexture::CGREEN), 200);  // 200.5 to even
  EXPECT_EQ(t.SmoothSampleChannel(0.0f, 0.5f, TDrovixColorTexture::CBLUE), 50);
  const TDrovixTexture& base = t;
  EXPECT_EQ(base.Sample(0, 0), 140);  // through the base class too
}

TEST(TDrovixTextureTest, LoadedFromFiles) {
  test::TTempDir dir;
  SetPngDisabledForTesting(true);  // TGA only: no library needed
  WriteTga(dir.File("tex.tga"), 3, 3, [](int y, int x) { return Rgb(10 * x, 20 + y, 30); });
  auto grey = TDrovixGraph::CreateFromFile<TDrovixTexture>(dir.File("tex"));
  EXPECT_EQ(grey->Sample(1, 1), 21);  // a grey page uses only the green channel
  auto colour = TDrovixGraph::CreateFromFile<TDrovixColorTexture>(dir.File("tex"));
  EXPECT_EQ(static_cast<uint32_t>(colour->Pixel(1, 1)), static_cast<uint32_t>(Rgb(10, 21, 30)));
  EXPECT_EQ(colour->BlackLevel, 0);
  EXPECT_EQ(colour->WhiteLevel, 255);

  for (auto [w, h] : {std::pair{1, 5}, {5, 1}, {1, 1}}) {
    WriteTga(dir.File("thin.tga"), w, h, [](int, int) { return Rgb(1, 2, 3); });
    const std::string message =
        Format(Ru("Текстура слишком мала: %dx%d, а нужна картинка хотя бы 2x2 точки.\n\r(файл \"%s\")"), w, h,
               dir.File("thin.tga").c_str());
    try {
      TDrovixGraph::CreateFromFile<TDrovixTexture>(dir.File("thin"));
      ADD_FAILURE() << w << "x" << h << " accepted";
    } catch (const EDrovixError& e) {
      EXPECT_EQ(e.what(), message);
    }
    EXPECT_THROW(TDrovixGraph::CreateFromFile<TDrovixColorTexture>(dir.File("thin")), EDrovixError);
  }
  SetPngDisabledForTesting(false);
}

}  // namespace
}  // namespace drovix

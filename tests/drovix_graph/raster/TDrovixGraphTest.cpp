// Plain raster operations: pasting, cloning, sampling, resizing, levels.
#include <gtest/gtest.h>

#include <typeinfo>

#include "RasterTestUtil.h"
#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix {
namespace {

using test::Fill;

TEST(TDrovixGraphTest, CreatedEmptyThenSizedBlack) {
  TDrovixGraph g;
  EXPECT_EQ(g.Height(), 0);
  EXPECT_EQ(g.Width(), 0);
  EXPECT_EQ(g.BlackLevel, 0);
  EXPECT_EQ(g.WhiteLevel, 0);
  EXPECT_FALSE(g.HasTransparency());
  g.SetSize(3, 4);
  EXPECT_EQ(g.Height(), 3);
  EXPECT_EQ(g.Width(), 4);
  EXPECT_EQ(g.Pixel(2, 3), 0);
  g.FillWhite();
  EXPECT_EQ(g.Pixel(0, 0), 255);
  EXPECT_EQ(g.Pixel(2, 3), 255);
  g.TransparentCount = 1;
  EXPECT_TRUE(g.HasTransparency());
}

TEST(TDrovixGraphTest, PasteClipsAtEveryEdge) {
  TDrovixGraph src;
  Fill(src, 10, 10, [](int y, int x) { return y * 10 + x + 1; });
  {
    TDrovixGraph t;
    t.SetSize(20, 30);
    t.Paste(src, -5, -5);  // only the lower right quarter lands, at the top left
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x)
        EXPECT_EQ(t.Pixel(y, x), (y < 5 && x < 5) ? (y + 5) * 10 + x + 5 + 1 : 0) << y << "," << x;
  }
  {
    TDrovixGraph t;
    t.SetSize(20, 30);
    t.Paste(src, 19, 29);  // only the source's top left pixel fits
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) EXPECT_EQ(t.Pixel(y, x), (y == 19 && x == 29) ? 1 : 0);
  }
  {
    TDrovixGraph t;
    t.SetSize(4, 4);
    t.Paste(src, 2, 1);
    EXPECT_EQ(t.Pixel(2, 1), 1);
    EXPECT_EQ(t.Pixel(3, 3), 13);
    EXPECT_EQ(t.Pixel(1, 1), 0);
    EXPECT_EQ(t.Pixel(2, 0), 0);
    // Far outside in every direction, including extreme offsets: nothing.
    for (auto [top, left] : {std::pair{-2147483647 - 1, 0}, {0, 2147483647}, {100, 100}, {-10, -10}}) {
      t.Paste(src, top, left);
      t.PasteDarker(src, top, left);
    }
    EXPECT_EQ(t.Pixel(0, 0), 0);
  }
}

TEST(TDrovixGraphTest, PasteDarkerKeepsTheDarker) {
  TDrovixGraph t;
  Fill(t, 1, 3, [](int, int) { return 100; });
  TDrovixGraph s;
  s.SetSize(1, 2);
  s.Pixel(0, 0) = 200;
  s.Pixel(0, 1) = 50;
  t.PasteDarker(s, 0, 1);
  EXPECT_EQ(t.Pixel(0, 0), 100);
  EXPECT_EQ(t.Pixel(0, 1), 100);
  EXPECT_EQ(t.Pixel(0, 2), 50);
}

TEST(TDrovixGraphTest, InvertOnlyTouchesGreyLevels) {
  const int32_t in[] = {0, 255, -1, 300, 100};
  const int32_t out[] = {255, 0, -1, 300, 155};
  TDrovixGraph g;
  Fill(g, 1, 5, [&](int, int x) { return in[x]; });
  g.Invert();
  for (int x = 0; x < 5; ++x) EXPECT_EQ(g.Pixel(0, x), out[x]) << in[x];
}

class TTextureLike : public TDrovixGraph {};

TEST(TDrovixGraphTest, CloneIsAPlainRasterWithEqualPixels) {
  TTextureLike g;
  g.SetSize(3, 2);
  g.Pixel(2, 1) = -7;
  g.Pixel(0, 0) = 1000;
  g.FileName = "page";
  auto c = g.Clone();
  EXPECT_EQ(typeid(*c), typeid(TDrovixGraph));
  EXPECT_EQ(c->Height(), 3);
  EXPECT_EQ(c->Width(), 2);
  EXPECT_EQ(c->Pixel(2, 1), -7);
  EXPECT_EQ(c->Pixel(0, 0), 1000);
  EXPECT_TRUE(c->FileName.empty());
}

TEST(TDrovixGraphTest, ClampedPixelRepeatsTheEdges) {
  TDrovixGraph g;
  Fill(g, 3, 4, [](int y, int x) { return y * 10 + x; });
  EXPECT_EQ(g.ClampedPixel(1, 2), 12);
  EXPECT_EQ(g.ClampedPixel(-5, -5), 0);
  EXPECT_EQ(g.ClampedPixel(99, 99), 23);
  EXPECT_EQ(g.ClampedPixel(-1, 3), 3);
  EXPECT_EQ(g.ClampedPixel(2, -1), 20);
}

TEST(TDrovixGraphTest, SmoothPixelUsesSquaredWeightsAndEvenTies) {
  TDrovixGraph g;
  Fill(g, 2, 2, [](int y, int x) { return (y + x) % 2 ? 255 : 0; });
  EXPECT_EQ(g.SmoothPixel(0.5f, 0.5f), 128);  // 127.5 goes to the even 128
  TDrovixGraph h;
  Fill(h, 2, 2, [](int y, int x) { return (y + x) % 2 ? 253 : 0; });
  EXPECT_EQ(h.SmoothPixel(0.5f, 0.5f), 126);  // 126.5 goes to the even 126
  // Whole coordinates return the pixel itself, edges clamp.
  TDrovixGraph p;
  Fill(p, 3, 3, [](int y, int x) { return y * 3 + x; });
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(p.SmoothPixel(float(y), float(x)), y * 3 + x);
  // Squared weights pull toward the nearest pixel: a quarter of the way from
  // 0 to 100 gives 9/(9+1) of the way from 100, i.e. 10, not 25.
  TDrovixGraph line;
  Fill(line, 1, 2, [](int, int x) { return x * 100; });
  EXPECT_EQ(line.SmoothPixel(0.0f, 0.25f), 10);
  EXPECT_EQ(line.SmoothPixel(0.0f, 1.75f), 100);  // beyond the edge: clamped
}

TEST(TDrovixGraphTest, ResizeHalvesOnlyBeyondTwoPointThreeTimes) {
  // Alternating black and white columns: a halving averages them to 127,
  // a direct resample by exactly 2 picks the even (black) columns.
  const auto stripes = [](int, int x) { return x % 2 ? 255 : 0; };
  TDrovixGraph a;
  Fill(a, 4, 1000, stripes);
  a.Resize(4, 400);  // 1000 > 920: halved once
  ASSERT_EQ(a.Height(), 4);
  ASSERT_EQ(a.Width(), 400);
  EXPECT_EQ(a.Pixel(2, 0), 127);
  EXPECT_EQ(a.Pixel(3, 399), 127);
  TDrovixGraph b;
  Fill(b, 4, 1000, stripes);
  b.Resize(4, 500);  // 1000 < 1150: not halved
  ASSERT_EQ(b.Width(), 500);
  EXPECT_EQ(b.Pixel(0, 0), 0);
  EXPECT_EQ(b.Pixel(3, 499), 0);
}

TEST(TDrovixGraphTest, ResizeHalvingDropsAnOddLastRowAndClamps) {
  const int32_t rows[] = {10, 20, 31, 40, 1000};
  TDrovixGraph g;
  Fill(g, 5, 1, [&](int y, int) { return rows[y]; });
  g.Resize(2, 1);  // 5 > 4.6: rows pair up, the fifth row is dropped
  ASSERT_EQ(g.Height(), 2);
  EXPECT_EQ(g.Pixel(0, 0), 15);
  EXPECT_EQ(g.Pixel(1, 0), 35);  // (31 + 40) div 2
  TDrovixGraph c;
  Fill(c, 2, 2, [](int y, int) { return y ? 400 : -50; });
  c.Resize(2, 2);
  EXPECT_EQ(c.Pixel(0, 0), 0);
  EXPECT_EQ(c.Pixel(1, 1), 255);
}

TEST(TDrovixGraphTest, ResizeEnlargesWithSquaredWeights) {
  TDrovixGraph g0;
  Fill(g0, 1, 2, [](int, int x) { return x * 100; });
  TDrovixGraph g;
  Fill(g, 1, 2, [](int, int x) { return x * 100; });
  g.Resize(1, 8);  // source step 0.25
  ASSERT_EQ(g.Width(), 8);
  const int32_t expect[] = {0, 10, 50, 90, 100, 100, 100, 100};
  for (int j = 0; j < 8; ++j) {
    EXPECT_EQ(g.Pixel(0, j), expect[j]) << j;
    EXPECT_EQ(g.Pixel(0, j), g0.SmoothPixel(0.0f, j * 0.25f)) << j;
  }
}

TEST(TDrovixGraphTest, SplitLayersKeepsTheGreenByte) {
  TDrovixGraph g;
  g.SetSize(1, 2);
  g.Pixel(0, 0) = 10 | (20 << 8) | (30 << 16) | (255u << 24);
  g.Pixel(0, 1) = static_cast<int32_t>(0xFFFFFFFFu);
  g.SplitLayers();
  EXPECT_EQ(g.Pixel(0, 0), 20);
  EXPECT_EQ(g.Pixel(0, 1), 255);
  EXPECT_EQ(g.BlackLevel, 0);
  EXPECT_EQ(g.WhiteLevel, 255);
}

}  // namespace
}  // namespace drovix

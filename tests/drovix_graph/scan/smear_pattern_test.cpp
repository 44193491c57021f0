// The pattern-keeping text removal (SPATTERN): screen tone goes on with its
// period and phase, flat areas stay flat, lines are joined, colour pages keep
// their three planes together, and the results repeat exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "smear_fixture.h"

namespace drovix::smear_test {
namespace {

// Round dots on a 45-degree grid, period in pixels, level 0..1 of ink, with
// soft edges as a scan has them.
TPixelFn Halftone(double period, double level) {
  return [=](int32_t y, int32_t x) {
    const double u = (x + y) / (period * std::sqrt(2.0)), v = (x - y) / (period * std::sqrt(2.0));
    const double du = u - std::floor(u) - 0.5, dv = v - std::floor(v) - 0.5;
    const double r = std::sqrt(level / 3.14159265) * period;
    const double d = std::sqrt(du * du + dv * dv) * period;  // pixels from the dot's centre
    return static_cast<int32_t>(std::lround(255 * std::clamp(d - r + 0.5, 0.0, 1.0)));
  };
}

// Square dots on an upright grid.
TPixelFn SquareDots(int32_t period, int32_t size) {
  return [=](int32_t y, int32_t x) { return (y % period < size && x % period < size) ? 30 : 230; };
}

struct TBlock {
  int32_t y0, x0, y1, x1;  // rows y0 .. y1 - 1, columns x0 .. x1 - 1
  bool Inside(int32_t y, int32_t x) const { return y >= y0 && y < y1 && x >= x0 && x < x1; }
};

// Erases the block: the lettering drawn black, fully transparent.
void Erase(TDrovixMangaScan& s, const TBlock& b) {
  for (int32_t y = b.y0; y < b.y1; ++y)
    for (int32_t x = b.x0; x < b.x1; ++x) {
      s.Pixel(y, x) = 0;
      SetTransparency(s, y, x, 255);
    }
}

// Pearson correlation of the block's refilled values with the page's own.
double Correlation(const TDrovixGraph& page, const TPixelFn& truth, const TBlock& b) {
  double n = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  for (int32_t y = b.y0; y < b.y1; ++y)
    for (int32_t x = b.x0; x < b.x1; ++x) {
      const double a = page.Pixel(y, x), t = truth(y, x);
      n += 1;
      sa += a;
      sb += t;
      saa += a * a;
      sbb += t * t;
      sab += a * t;
    }
  const double cov = sab / n - sa / n * sb / n;
  return cov / std::sqrt((saa / n - sa / n * sa / n) * (sbb / n - sb / n * sb / n));
}

TEST(SmearPattern, ToneGoesOnWithItsPeriodAndPhase) {
  // A block of 24 x 30 erased in the middle of a patch of tone: what comes
  // back must be the tone's own continuation, dot for dot, not a grey smudge
  // (a flat refill correlates 0; one shifted by half a period, negatively).
  const struct {
    const char* name;
    TPixelFn tone;
  } cases[] = {
      {"45-degree dots, period 7.07 (whole lattice)", Halftone(5 * std::sqrt(2.0), 0.3)},
      {"45-degree dots, period 6.3", Halftone(6.3, 0.25)},
      {"45-degree dots, period 5.4, dense", Halftone(5.4, 0.55)},
      {"upright square dots, period 6", SquareDots(6, 3)},
  };
  const TBlock block{48, 45, 72, 75};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto s = GreyScan(120, 120, c.tone);
    Erase(*s, block);
    s->SmearMethod = SPATTERN;
    SmearPrinting(*s);
    EXPECT_GT(Correlation(*s, c.tone, block), 0.9);
    // The ring is untouched.
    EXPECT_EQ(s->Pixel(47, 45), c.tone(47, 45));
    EXPECT_EQ(s->Pixel(72, 74), c.tone(72, 74));
  }
}

TEST(SmearPattern, FlatAreasRefillFlatGreyAndColour) {
  // Lettering inside a soft rim on a flat page.
  auto grey = GreyScan(40, 40, Lettered(137));
  MarkLettering(*grey);
  grey->SmearMethod = SPATTERN;
  const std::string printed = SmearPrinting(*grey);
  EXPECT_EQ(printed, Shown(".замазываю по узору.."));  // 30 targets: no page width done
  EXPECT_EQ(Pixels(*grey), Pixels(*Plane(40, 40, Flat(137))));

  auto colour = ColourScan(40, 40, Lettered(200), Lettered(120), Lettered(45));
  MarkLettering(*colour);
  colour->SmearMethod = SPATTERN;
  SmearPrinting(*colour);
  EXPECT_EQ(Pixels(*colour->RedPlane), Pixels(*Plane(40, 40, Flat(200))));
  EXPECT_EQ(Pixels(*colour->GreenPlane), Pixels(*Plane(40, 40, Flat(120))));
  EXPECT_EQ(Pixels(*colour), Pixels(*Plane(40, 40, Flat(45))));
}

TEST(SmearPattern, AHoleInLineArtJoinsTheLine) {
  // White paper with a horizontal stroke (3 px), a diagonal one (2 px) and
  // a stroke of slope 1/3; a hole over each cuts it. The refilled holes must
  // show the strokes running through.
  auto art = [](int32_t y, int32_t x) {
    if (y >= 20 && y < 23) return 0;                                 // horizontal
    if (std::abs((y - 60) - (x - 10)) <= 1 && y >= 40) return 10;    // diagonal
    if (x >= 3 * (y - 100) + 0 && x < 3 * (y - 100) + 6) return 40;  // slope 1/3, 2 px tall
    return 250;
  };
  const TBlock holes[] = {{16, 40, 27, 48}, {66, 12, 74, 20}, {102, 30, 110, 38}};
  auto s = GreyScan(130, 130, art);
  for (const TBlock& b : holes) Erase(*s, b);
  s->SmearMethod = SPATTERN;
  SmearPrinting(*s);
  for (const TBlock& b : holes) {
    SCOPED_TRACE(b.y0);
    int32_t wrong = 0, total = 0;
    for (int32_t y = b.y0; y < b.y1; ++y)
      for (int32_t x = b.x0; x < b.x1; ++x) {
        wrong += s->Pixel(y, x) != art(y, x);
        ++total;
      }
    EXPECT_LE(wrong, total / 20);
  }
}

TEST(SmearPattern, ColourPagesRefillTheThreePlanesTogether) {
  // Coloured dots on cream: every colour of the page lies on one line from
  // paper to ink. A refilled pixel must lie on it too (planes taken from
  // different places would leave it), and the dots go on in all three planes.
  const TPixelFn dots = Halftone(6.0, 0.3);
  auto mix = [&](int32_t paper, int32_t ink) {
    return [=](int32_t y, int32_t x) { return (dots(y, x) * paper + (255 - dots(y, x)) * ink + 127) / 255; };
  };
  const TPixelFn red = mix(250, 200), green = mix(240, 30), blue = mix(220, 60);
  auto s = ColourScan(100, 100, red, green, blue);
  const TBlock block{40, 38, 60, 64};
  for (int32_t y = block.y0; y < block.y1; ++y)
    for (int32_t x = block.x0; x < block.x1; ++x) {
      s->Pixel(y, x) = s->GreenPlane->Pixel(y, x) = s->RedPlane->Pixel(y, x) = 0;
      SetTransparency(*s, y, x, 255);
    }
  s->SmearMethod = SPATTERN;
  SmearPrinting(*s);
  for (int32_t y = block.y0; y < block.y1; ++y)
    for (int32_t x = block.x0; x < block.x1; ++x) {
      const double along = (240.0 - s->GreenPlane->Pixel(y, x)) / (240 - 30);  // 0 paper .. 1 ink
      ASSERT_NEAR(s->RedPlane->Pixel(y, x), 250 - along * 50, 2.0) << y << "," << x;
      ASSERT_NEAR(s->Pixel(y, x), 220 - along * 160, 2.0) << y << "," << x;
    }
  EXPECT_GT(Correlation(*s->RedPlane, red, block), 0.9);
  EXPECT_GT(Correlation(*s->GreenPlane, green, block), 0.9);
  EXPECT_GT(Correlation(*s, blue, block), 0.9);
}

TEST(SmearPattern, SameInputSamePageAtEveryPower) {
  // Tone crossed by strokes, with scattered lettering: two runs agree pixel
  // for pixel; the power changes how widely it searches, not whether it
  // repeats.
  const TPixelFn tone = Halftone(6.7, 0.35);
  auto page = [&](int32_t y, int32_t x) {
    if (std::abs(2 * y - x - 20) <= 2) return 0;
    return y > 90 ? 255 - tone(y, x) / 2 : tone(y, x);
  };
  for (const int32_t power : {1, 25, 100}) {
    SCOPED_TRACE(power);
    std::vector<int32_t> first;
    for (int run = 0; run < 2; ++run) {
      auto s = GreyScan(150, 160, page);
      for (int32_t y = 10; y < 140; ++y)
        for (int32_t x = 10; x < 150; ++x)
          if ((x * 7 + y * 13) % 23 < 3 || ((x / 9 + y / 11) % 5 == 0 && x % 9 < 3))
            SetTransparency(*s, y, x, 255);
      s->SmearMethod = SPATTERN;
      s->SmearPower = power;
      SmearPrinting(*s);
      if (run == 0)
        first = Pixels(*s);
      else
        EXPECT_EQ(Pixels(*s), first);
    }
  }
}

TEST(SmearPattern, PowerZeroMeansTheDraftMethod) {
  static constexpr int32_t kRow[5] = {10, 50, 0, 90, 250};
  auto s = GreyScan(3, 5, [](int32_t y, int32_t x) { return y == 1 ? kRow[x] : 255; });
  SetTransparency(*s, 1, 2, 255);
  s->SmearMethod = SPATTERN;
  s->SmearPower = 0;
  EXPECT_EQ(SmearPrinting(*s), Shown(".замазываю наспех.."));
  EXPECT_EQ(s->Pixel(1, 2), 77);
}

TEST(SmearPattern, NothingToCopyFromShowsTheErrorPattern) {
  // A page transparent all over: grey pages show the ERROR pattern, colour
  // pages the pattern in red. A dot per page width of targets is printed.
  auto s = GreyScan(6, 40, Flat(100));
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 40; ++x) SetTransparency(*s, y, x, 255);
  s->SmearMethod = SPATTERN;
  EXPECT_EQ(SmearPrinting(*s), Shown(".замазываю по узору..") + ".....");  // 240 targets, 40 wide
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 40; ++x) EXPECT_EQ(s->Pixel(y, x), 255 * ErrorPatternBit(y, x));

  auto c = ColourScan(6, 40, Flat(10), Flat(20), Flat(30));
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 40; ++x) SetTransparency(*c, y, x, 255);
  c->SmearMethod = SPATTERN;
  SmearPrinting(*c);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      const int32_t blue = 255 * ErrorPatternBit(y, x);
      ASSERT_EQ((std::vector<int32_t>{c->Pixel(y, x), c->GreenPlane->Pixel(y, x), c->RedPlane->Pixel(y, x)}),
                (std::vector<int32_t>{blue, 0, 255 - blue}));
    }
}

TEST(SmearPattern, CleansInsideBalloonsOfColourPages) {
  // A transparent balloon over striped colour with black lettering in it:
  // cleaning by the black key refills the letters with the stripes.
  auto stripes = [](int32_t on, int32_t off) {
    return [=](int32_t, int32_t x) { return x % 4 < 2 ? on : off; };
  };
  auto s = ColourScan(40, 40, stripes(250, 180), stripes(200, 90), stripes(150, 20));
  for (int32_t y = 18; y < 21; ++y)
    for (int32_t x = 12; x < 27; ++x) {
      s->Pixel(y, x) = s->GreenPlane->Pixel(y, x) = s->RedPlane->Pixel(y, x) = 0;
    }
  s->SmearMethod = SPATTERN;
  s->MinY = s->MinX = 5;
  s->MaxY = s->MaxX = 34;
  auto balloon = Plane(30, 30, Flat(255));  // no new text: only the cleaning shows
  testing::internal::CaptureStdout();
  s->LayText(*balloon, -1, "16777216,40,0,", "%0,0,0.7,");
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find(Shown(".замазываю по узору..")), std::string::npos) << printed;
  for (int32_t y = 0; y < 40; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      ASSERT_EQ(s->RedPlane->Pixel(y, x), stripes(250, 180)(y, x)) << y << "," << x;
      ASSERT_EQ(s->GreenPlane->Pixel(y, x), stripes(200, 90)(y, x)) << y << "," << x;
      ASSERT_EQ(s->Pixel(y, x), stripes(150, 20)(y, x)) << y << "," << x;
    }
}

}  // namespace
}  // namespace drovix::smear_test

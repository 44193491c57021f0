// Text removal: which pixels are refilled, with what, what is printed, and
// where the ERROR pattern shows instead.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "smear_fixture.h"

namespace drovix::smear_test {
namespace {

// Screen-tone-like values, so that "unchanged" means something.
int32_t Tone(int32_t y, int32_t x) { return (x * 37 + y * 91) % 256; }

TEST(Smear, PageWithoutTransparencyIsUnchangedAndSilent) {
  for (const TMethodCase& m : AllMethods()) {
    SCOPED_TRACE(m.name);
    auto grey = GreyScan(20, 30, Tone);
    grey->Transparency->Pixel(5, 5) = 20;  // the most a pixel may have and stay
    grey->TransparentCount = 0;
    grey->SmearMethod = m.method;
    EXPECT_EQ(SmearPrinting(*grey), "");
    EXPECT_EQ(Pixels(*grey), Pixels(*GreyScan(20, 30, Tone)));
    EXPECT_FALSE(grey->ContoursDone);

    auto colour = ColourScan(20, 30, Tone, Flat(7), Flat(200));
    colour->SmearMethod = m.method;
    EXPECT_EQ(SmearPrinting(*colour), "");
    EXPECT_EQ(Pixels(*colour), Pixels(*Plane(20, 30, Flat(200))));
    EXPECT_EQ(Pixels(*colour->RedPlane), Pixels(*Plane(20, 30, Tone)));
    EXPECT_EQ(Pixels(*colour->GreenPlane), Pixels(*Plane(20, 30, Flat(7))));
  }
}

TEST(Smear, PowerZeroSelectsRowInterpolationWhateverTheMethod) {
  // Row 1 is 10 50 [target] 90 250 between two white rows. Only the row
  // counts, each source weighted 1/d^3: (50 + 90 + 10/8 + 250/8) / (2 + 2/8)
  // = 76.7. Any ray method would pull the white rows in.
  for (const TMethodCase& m : AllMethods()) {
    SCOPED_TRACE(m.name);
    static constexpr int32_t kRow[5] = {10, 50, 0, 90, 250};
    auto s = GreyScan(3, 5, [](int32_t y, int32_t x) { return y == 1 ? kRow[x] : 255; });
    SetTransparency(*s, 1, 2, 255);
    s->SmearMethod = m.method;
    s->SmearPower = 0;
    EXPECT_EQ(SmearPrinting(*s), Shown(".замазываю наспех.."));
    EXPECT_EQ(s->Pixel(1, 2), 77);
    EXPECT_EQ(s->SmearMethod, m.method);
  }
}

TEST(Smear, DraftRoundsHalvesToEven) {
  // Two sources at distance 1: the mean of a and b. The last column is a
  // target too, so that only these two count.
  const struct {
    int32_t a, b, expected;
  } cases[] = {{100, 101, 100}, {101, 102, 102}, {100, 103, 102}, {0, 255, 128}, {3, 4, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.a) + " " + std::to_string(c.b));
    auto s = GreyScan(1, 4, [&](int32_t, int32_t x) { return x == 0 ? c.a : (x == 2 ? c.b : 50); });
    SetTransparency(*s, 0, 1, 255);
    SetTransparency(*s, 0, 3, 255);
    s->SmearPower = 0;
    SmearPrinting(*s);
    EXPECT_EQ(s->Pixel(0, 1), c.expected);
    EXPECT_EQ(s->Pixel(0, 3), 255 * ErrorPatternBit(0, 3));
  }
}

TEST(Smear, RayMethodsCannotReachTargetsInRowZeroOrColumnZero) {
  // A ray starts only from a point strictly inside the page, so targets in
  // row 0 or column 0 get no source and show the ERROR pattern (which is 0
  // all along row 0 and column 0). The last row and column are reachable.
  for (const TMethodCase& m : AllMethods()) {
    if (m.method == SDRAFT || m.method == SPATTERN) continue;
    SCOPED_TRACE(m.name);
    auto s = GreyScan(12, 40, Flat(128));
    const std::vector<std::pair<int32_t, int32_t>> failing = {{0, 0}, {0, 10}, {6, 0}};
    const std::vector<std::pair<int32_t, int32_t>> refilled = {{6, 20}, {11, 20}, {6, 39}, {11, 39}};
    for (auto [y, x] : failing) SetTransparency(*s, y, x, 255);
    for (auto [y, x] : refilled) SetTransparency(*s, y, x, 255);
    s->SmearMethod = m.method;
    SmearPrinting(*s);
    for (auto [y, x] : failing) EXPECT_EQ(s->Pixel(y, x), 255 * ErrorPatternBit(y, x)) << y << "," << x;
    for (auto [y, x] : refilled) EXPECT_EQ(s->Pixel(y, x), 128) << y << "," << x;

    // On a colour page the failed pixel turns red: blue 0, green 0, red 255.
    auto c = ColourScan(12, 40, Flat(10), Flat(20), Flat(30));
    SetTransparency(*c, 0, 10, 255);
    SetTransparency(*c, 6, 20, 255);
    c->SmearMethod = m.method;
    SmearPrinting(*c);
    EXPECT_EQ((std::vector<int32_t>{c->Pixel(0, 10), c->GreenPlane->Pixel(0, 10), c->RedPlane->Pixel(0, 10)}),
              (std::vector<int32_t>{0, 0, 255}));
    EXPECT_EQ((std::vector<int32_t>{c->Pixel(6, 20), c->GreenPlane->Pixel(6, 20), c->RedPlane->Pixel(6, 20)}),
              (std::vector<int32_t>{30, 20, 10}));
  }
}

TEST(Smear, DraftShowsTheErrorPatternAlongAFullyTransparentRowAndAtTheSides) {
  auto s = GreyScan(8, 40, Flat(100));
  for (int32_t x = 0; x < 40; ++x) SetTransparency(*s, 3, x, 255);
  SetTransparency(*s, 5, 0, 255);
  SetTransparency(*s, 5, 39, 255);
  SetTransparency(*s, 5, 20, 255);
  s->SmearPower = 0;
  SmearPrinting(*s);
  int32_t letterPixels = 0;
  for (int32_t x = 0; x < 40; ++x) {
    EXPECT_EQ(s->Pixel(3, x), 255 * ErrorPatternBit(3, x)) << x;
    letterPixels += s->Pixel(3, x) == 255;
  }
  EXPECT_GT(letterPixels, 5);  // the pattern is visible, not a black line
  EXPECT_EQ(s->Pixel(5, 0), 255 * ErrorPatternBit(5, 0));
  EXPECT_EQ(s->Pixel(5, 39), 255 * ErrorPatternBit(5, 39));
  EXPECT_EQ(s->Pixel(5, 20), 100);
  EXPECT_EQ(s->Pixel(2, 7), 100);
}

TEST(Smear, EveryMethodRefillsAHoleInAFlatAreaWithTheFlatValue) {
  // A 40 x 40 flat page with a 6 x 5 block of black "lettering" made
  // transparent, inside a soft rim that is neither refilled nor drawn from.
  for (const TMethodCase& m : AllMethods()) {
    SCOPED_TRACE(m.name);
    auto grey = GreyScan(40, 40, Lettered(137));
    MarkLettering(*grey);
    grey->SmearMethod = m.method;
    grey->SmearPower = m.method == SDRAFT ? 0 : 25;
    const std::string printed = SmearPrinting(*grey);
    EXPECT_TRUE(printed.ends_with(Shown(m.progress))) << printed;
    EXPECT_EQ(Pixels(*grey), Pixels(*Plane(40, 40, Flat(137))));

    auto colour = ColourScan(40, 40, Lettered(200), Lettered(120), Lettered(45));
    MarkLettering(*colour);
    colour->SmearMethod = m.method;
    colour->SmearPower = m.method == SDRAFT ? 0 : 25;
    SmearPrinting(*colour);
    EXPECT_EQ(Pixels(*colour->RedPlane), Pixels(*Plane(40, 40, Flat(200))));
    EXPECT_EQ(Pixels(*colour->GreenPlane), Pixels(*Plane(40, 40, Flat(120))));
    EXPECT_EQ(Pixels(*colour), Pixels(*Plane(40, 40, Flat(45))));
  }
}

TEST(Smear, PrintsADotEachTimeMoreThanAPageWidthOfTargetsIsDone) {
  // 24 targets on a page 10 wide: dots after the 11th and the 22nd.
  auto s = GreyScan(8, 10, Flat(90));
  for (int32_t y = 2; y < 6; ++y)
    for (int32_t x = 2; x < 8; ++x) SetTransparency(*s, y, x, 255);
  s->SmearMethod = SHARD;
  EXPECT_EQ(SmearPrinting(*s), Shown(".замазываю..") + "..");

  // The row interpolation prints no dots.
  auto d = GreyScan(8, 10, Flat(90));
  for (int32_t y = 2; y < 6; ++y)
    for (int32_t x = 2; x < 8; ++x) SetTransparency(*d, y, x, 255);
  d->SmearPower = 0;
  EXPECT_EQ(SmearPrinting(*d), Shown(".замазываю наспех.."));
}

TEST(Smear, ContourMethodsComputeContoursWithTheirRadius) {
  // A flat page with one darker pixel two steps right of an opaque pixel:
  // radius 1 (SSMARTER, SSELECTIVE) reaches distance 2, radius 2 (STRICKY,
  // SPICKY) distance 3.
  const struct {
    TSmear method;
    int32_t contourAt3;  // contour of (10, 10) with the dark pixel at (10, 13)
  } cases[] = {{SSMARTER, 0}, {STRICKY, 4 * 50}, {SPICKY, 4 * 50}, {SSELECTIVE, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method);
    auto s = GreyScan(20, 20, [](int32_t y, int32_t x) { return y == 10 && x == 13 ? 50 : 100; });
    SetTransparency(*s, 3, 3, 255);
    s->SmearMethod = c.method;
    SmearPrinting(*s);
    EXPECT_TRUE(s->ContoursDone);
    EXPECT_EQ(s->Contours->Pixel(10, 10), c.contourAt3);
    EXPECT_EQ(s->Contours->Pixel(10, 12), 4 * 50);
  }
}

TEST(Smear, LetteringOverScreenToneIsRefilledWithoutTheErrorPattern) {
  // Black dots on a light ground over the whole page: every opaque point
  // lies on an edge stronger than 4 x the mean contour, so every ray of the
  // contour-limited methods ends at its first opaque point. Such targets
  // are refilled by the same rays without that stop, from the tone itself,
  // so no value can exceed the light ground (the pattern would give 255).
  auto dots = [](int32_t light) {
    return [light](int32_t y, int32_t x) { return x % 4 < 2 && y % 4 < 2 ? 0 : light; };
  };
  auto letter = [](TDrovixMangaScan& s) {
    for (int32_t y = 10; y < 20; ++y)
      for (int32_t x = 12; x < 40; ++x)
        if (x % 7 < 3 || y % 5 == 0) SetTransparency(s, y, x, 255);
  };
  for (TSmear method : {STRICKY, SPICKY, SSELECTIVE}) {
    SCOPED_TRACE(method);
    auto grey = GreyScan(30, 52, dots(220));
    letter(*grey);
    grey->SmearMethod = method;
    SmearPrinting(*grey);
    int32_t dark = 0;
    for (int32_t y = 10; y < 20; ++y)
      for (int32_t x = 12; x < 40; ++x) {
        EXPECT_LE(grey->Pixel(y, x), 220) << y << "," << x;
        dark += grey->Pixel(y, x) < 200;
      }
    EXPECT_GT(dark, 20);  // the dots carry on into the refill

    // Colour alike; a target in row 0 is reached by no ray and still shows
    // the pattern (blue 0, green 0, red 255).
    auto colour = ColourScan(30, 52, dots(200), dots(210), dots(220));
    letter(*colour);
    SetTransparency(*colour, 0, 20, 255);
    colour->SmearMethod = method;
    SmearPrinting(*colour);
    for (int32_t y = 10; y < 20; ++y)
      for (int32_t x = 12; x < 40; ++x) {
        EXPECT_LE(colour->RedPlane->Pixel(y, x), 200) << y << "," << x;
        EXPECT_LE(colour->GreenPlane->Pixel(y, x), 210) << y << "," << x;
        EXPECT_LE(colour->Pixel(y, x), 220) << y << "," << x;
      }
    EXPECT_EQ((std::vector<int32_t>{colour->Pixel(0, 20), colour->GreenPlane->Pixel(0, 20),
                                    colour->RedPlane->Pixel(0, 20)}),
              (std::vector<int32_t>{0, 0, 255}));
  }
}

}  // namespace
}  // namespace drovix::smear_test

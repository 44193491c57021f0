// Finding balloons and sounds: the markup level, the regions, the fill mask
// conventions and the failures. A plain recursive fill written from the
// definition serves as the reference for the order and depth of the walk.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "ScanTestUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

using scan_test::ErrorBmpNote;
using scan_test::ReadBmp;
using scan_test::Rgba;
using scan_test::SplitScan;
using scan_test::TTempDir;
using Grid = std::vector<std::vector<int32_t>>;

std::string BalloonNotFound(int32_t n) {
  return Format(
             Ru("Балон №%d не найден, или недостаточно красный.\n\rМинимальная яркость пикселя для разметки "
                "равна %d.\n\rПроверь ещё, не соприкасаются ли балоны (программа использует метод "
                "заливки\n\r "
                "для определения нечётких краёв, и может принять балон\n\rза кайму более яркого соседа)"),
             n, 30) +
         ErrorBmpNote();
}
std::string SoundNotFound(int32_t n) {
  return Format(
             Ru("Звук №%d не найден, или недостаточно зелёный.\n\rМинимальная яркость пикселя для разметки "
                "равна %d.\n\rПроверь ещё, не соприкасаются ли звуки с разной базовой яркостью\n\r "
                "(программа "
                "использует метод заливки для определения нечётких краёв,\n\r и может принять звук за кайму "
                "более яркого соседа)"),
             n, 30) +
         ErrorBmpNote();
}
std::string BalloonOverflow(int32_t n) {
  return Format(Ru("Выход за допустимый предел при заливке балона №%d рекурсивным методом.\n\rСкорее всего, "
                   "имеет "
                   "место \"слипание\" соседних балонов."),
                n) +
         ErrorBmpNote();
}
std::string SoundOverflow(int32_t n) {
  return Format(Ru("Выход за допустимый предел при заливке звука №%d рекурсивным методом.\n\rСкорее всего, "
                   "имеет "
                   "место \"слипание\" соседних звуков с разной базовой яркостью.\n\rЛибо же звук ОЧЕНЬ "
                   "большой, и "
                   "с сильно размытыми краями."),
                n) +
         ErrorBmpNote();
}

std::string ErrorOf(const std::function<void()>& f) {
  testing::internal::CaptureStdout();
  std::string message = "(no error)";
  try {
    f();
  } catch (const EDrovixError& e) {
    message = e.what();
  }
  testing::internal::GetCapturedStdout();
  return message;
}

Grid Copy(const TDrovixGraph& g) {
  Grid out(static_cast<size_t>(g.Height()));
  for (int32_t y = 0; y < g.Height(); ++y)
    out[static_cast<size_t>(y)].assign(g.RowPtr(y), g.RowPtr(y) + g.Width());
  return out;
}
void Paste(TDrovixGraph& g, const Grid& values) {
  for (int32_t y = 0; y < g.Height(); ++y)
    for (int32_t x = 0; x < g.Width(); ++x)
      g.Pixel(y, x) = values[static_cast<size_t>(y)][static_cast<size_t>(x)];
}

// A white page of h x w split in memory, kept in a temporary folder so that
// a failure's _error.bmp lands there. Markup is painted into the planes.
struct TPage {
  TTempDir dir;
  std::unique_ptr<TDrovixMangaScan> scan;
  TPage(int32_t h, int32_t w) {
    testing::internal::CaptureStdout();
    scan = SplitScan(
        h, w, [](int32_t, int32_t) { return Rgba(255, 255, 255); }, dir.File("page"));
    testing::internal::GetCapturedStdout();
  }
  void Red(const Grid& g) { Paste(*scan->RedMarkup, g); }
  void Green(const Grid& g) { Paste(*scan->GreenMarkup, g); }
  int32_t MaskCount(int32_t value) const {
    int32_t n = 0;
    for (int32_t y = 0; y < scan->Height(); ++y)
      for (int32_t x = 0; x < scan->Width(); ++x) n += scan->FillMask->Pixel(y, x) == value;
    return n;
  }
  // What the balloon text laying does once a balloon is done.
  void ClearFilledRed() {
    for (int32_t y = 0; y < scan->Height(); ++y)
      for (int32_t x = 0; x < scan->Width(); ++x)
        if (scan->FillMask->Pixel(y, x) == 1) scan->RedMarkup->Pixel(y, x) = 0;
  }
};

// Builds a grid from rectangles painted in order over a background.
struct TRect {
  int32_t y0, x0, y1, x1, value;
};
Grid Paint(int32_t h, int32_t w, std::initializer_list<TRect> rects, int32_t background = 0) {
  Grid g(static_cast<size_t>(h), std::vector<int32_t>(static_cast<size_t>(w), background));
  for (const TRect& r : rects)
    for (int32_t y = r.y0; y <= r.y1; ++y)
      for (int32_t x = r.x0; x <= r.x1; ++x) g[static_cast<size_t>(y)][static_cast<size_t>(x)] = r.value;
  return g;
}

// The fills exactly as defined: recursive, the entry tests, the depth counted
// before the neighbours are visited, and the walk stopped where the depth
// first exceeds the limit.
struct TReferenceFill {
  Grid markup, mask;
  int32_t h = 0, w = 0, level = 0, depth = 0;
  int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
  bool overflow = false;

  static int32_t Level(const Grid& markup) {
    std::vector<int32_t> histogram(256);
    for (const auto& row : markup)
      for (int32_t v : row) ++histogram[static_cast<size_t>(v)];
    int32_t level = 255;
    while (level >= 30 && histogram[static_cast<size_t>(level)] < 30) --level;
    return level;
  }
  TReferenceFill(const Grid& m, int32_t maskValue) : markup(m) {
    h = static_cast<int32_t>(m.size());
    w = static_cast<int32_t>(m[0].size());
    mask.assign(m.size(), std::vector<int32_t>(m[0].size(), maskValue));
    level = Level(m);
    minY = h - 1, maxY = 0, minX = w - 1, maxX = 0;
  }
  void Widen(int32_t x, int32_t y) {
    minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  void Balloon(int32_t x, int32_t y) {
    if (overflow || x < 0 || y < 0 || x >= w || y >= h) return;
    const int32_t r = markup[y][x];
    if (r < 5 || mask[y][x] == 1) return;
    if (depth > 1 && r == level) return;
    mask[y][x] = 1;
    if (++depth > 170000) {
      overflow = true;
      return;
    }
    Widen(x, y);
    Balloon(x - 1, y), Balloon(x + 1, y), Balloon(x, y - 1), Balloon(x, y + 1);
    if (!overflow) --depth;
  }
  void Sound(int32_t x, int32_t y) {
    if (overflow || x < 0 || y < 0 || x >= w || y >= h) return;
    const int32_t g = markup[y][x];
    if (g < 5 || mask[y][x] < 2147483647) return;
    if (depth > 1 && g > level - 15) return;
    mask[y][x] = static_cast<int32_t>(std::nearbyint((1 - static_cast<long double>(g) / level) * 100));
    markup[y][x] = 0;
    if (++depth > 170000) {
      overflow = true;
      return;
    }
    Widen(x, y);
    Sound(x - 1, y), Sound(x, y - 1), Sound(x + 1, y), Sound(x, y + 1);
    if (!overflow) --depth;
  }
  void RunBalloon() {
    for (int32_t y = 0; y < h && !overflow; ++y)
      for (int32_t x = 0; x < w && !overflow; ++x)
        if (markup[y][x] == level) Balloon(x, y);
  }
  void RunSound() {
    for (int32_t y = 0; y < h && !overflow; ++y)
      for (int32_t x = 0; x < w && !overflow; ++x)
        if (markup[y][x] > std::max(level - 15, 30)) Sound(x, y);
  }
};

// The reference recursion needs a deep stack for pages near the limit.
template <class F>
void RunOnBigStack(F f) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, size_t{1} << 30);
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attr,
                [](void* p) -> void* {
                  (*static_cast<F*>(p))();
                  return nullptr;
                },
                &f),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

// Soft-edged blobs of a few strengths over weak noise.
Grid RandomMarkup(std::mt19937& rng, int32_t h, int32_t w) {
  static const int32_t kNoise[] = {0, 0, 0, 0, 3, 4, 5, 6, 12};
  static const int32_t kLevels[] = {40, 90, 90, 150, 200, 255};
  Grid g(static_cast<size_t>(h), std::vector<int32_t>(static_cast<size_t>(w)));
  for (auto& row : g)
    for (auto& v : row) v = kNoise[rng() % std::size(kNoise)];
  for (int32_t blob = 0; blob < 4; ++blob) {
    const int32_t cy = static_cast<int32_t>(rng() % h), cx = static_cast<int32_t>(rng() % w);
    const int32_t radius = 4 + static_cast<int32_t>(rng() % 10);
    const int32_t level = kLevels[rng() % std::size(kLevels)];
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const int32_t d2 = (y - cy) * (y - cy) + (x - cx) * (x - cx);
        if (d2 <= radius * radius)
          g[y][x] = level - static_cast<int32_t>(rng() % 3) * (d2 * 3 > radius * radius * 2 ? 20 : 0);
        else if (d2 <= (radius + 2) * (radius + 2))
          g[y][x] = std::max(g[y][x], 8 + static_cast<int32_t>(rng() % 20));
      }
  }
  return g;
}

TEST(FindNextBalloonTest, LevelNeedsThirtyPixelsOfStrengthThirty) {
  struct Case {
    const char* what;
    int32_t pixels, strength;
    bool found;
  };
  const Case cases[] = {
      {"30 pixels of pure red", 30, 255, true},
      {"29 pixels of pure red", 29, 255, false},
      {"strength 30", 40, 30, true},
      {"strength 29", 400, 29, false},  // the whole page
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TPage page(20, 20);
    Grid g = Paint(20, 20, {});
    for (int32_t i = 0; i < c.pixels; ++i) g[i / 20][i % 20] = c.strength;
    page.Red(g);
    const std::string error = ErrorOf([&] { page.scan->FindNextBalloon(); });
    if (c.found) {
      EXPECT_EQ(error, "(no error)");
      EXPECT_EQ(page.scan->MarkupLevel, c.strength);
      EXPECT_EQ(page.MaskCount(1), c.pixels);
    } else {
      EXPECT_EQ(error, BalloonNotFound(1));
      EXPECT_TRUE(std::filesystem::exists(page.dir.File("_error.bmp")));
    }
    EXPECT_EQ(page.scan->BalloonNumber, 1);
  }
}

TEST(FindNextBalloonTest, ConnectedRimOfFiveAndAboveBelongsToTheBalloon) {
  TPage page(30, 40);
  page.Red(Paint(30, 40,
                 {
                     {5, 5, 20, 25, 4},     // too weak to belong
                     {6, 6, 19, 24, 5},     // the rim
                     {8, 8, 16, 20, 255},   // the balloon
                     {25, 30, 28, 38, 60},  // rim strength but not connected
                 }));
  page.scan->FindNextBalloon();
  EXPECT_EQ(page.scan->MarkupLevel, 255);
  EXPECT_EQ(page.MaskCount(1), 14 * 19);
  EXPECT_EQ(page.scan->FillMask->Pixel(6, 6), 1);
  EXPECT_EQ(page.scan->FillMask->Pixel(5, 5), 0);
  EXPECT_EQ(page.scan->FillMask->Pixel(26, 31), 0);
  EXPECT_EQ(page.scan->MinY, 6);
  EXPECT_EQ(page.scan->MaxY, 19);
  EXPECT_EQ(page.scan->MinX, 6);
  EXPECT_EQ(page.scan->MaxX, 24);
  EXPECT_EQ(page.scan->FillDepth, 0);
}

TEST(FindNextBalloonTest, BalloonsAreTakenStrongestFirstAndEqualRedsAreOne) {
  {
    TPage page(20, 40);
    page.Red(Paint(20, 40, {{2, 2, 10, 10, 100}, {2, 20, 10, 30, 200}}));
    page.scan->FindNextBalloon();
    EXPECT_EQ(page.scan->MinX, 20);
    page.ClearFilledRed();
    page.scan->FindNextBalloon();
    EXPECT_EQ(page.scan->BalloonNumber, 2);
    EXPECT_EQ(page.scan->MinX, 2);
    EXPECT_EQ(page.scan->MaxX, 10);
  }
  {
    TPage page(20, 40);
    page.Red(Paint(20, 40, {{2, 2, 10, 10, 150}, {2, 20, 10, 30, 150}}));
    page.scan->FindNextBalloon();
    EXPECT_EQ(page.MaskCount(1), 81 + 99);
    EXPECT_EQ(page.scan->MinX, 2);
    EXPECT_EQ(page.scan->MaxX, 30);
    page.ClearFilledRed();
    EXPECT_EQ(ErrorOf([&] { page.scan->FindNextBalloon(); }), BalloonNotFound(2));
  }
}

TEST(FindNextSoundTest, RimWeightsClearedMarkupAndTheOutside) {
  TPage page(20, 40);
  Grid g = Paint(20, 40, {{2, 2, 12, 12, 100}, {4, 4, 10, 10, 200}, {15, 30, 18, 38, 90}});
  g[7][7] = 250;  // above the level, held by one pixel
  page.Green(g);
  page.scan->FillGradient = 17;
  page.scan->FindNextSound();
  const TDrovixMangaScan& s = *page.scan;
  EXPECT_EQ(s.SoundNumber, 1);
  EXPECT_EQ(s.MarkupLevel, 200);
  EXPECT_EQ(s.FillMask->Pixel(5, 5), 0);
  EXPECT_EQ(s.FillMask->Pixel(2, 2), 50);
  EXPECT_EQ(s.FillMask->Pixel(7, 7), -25);
  EXPECT_EQ(s.FillMask->Pixel(0, 0), kFillOutside);
  EXPECT_EQ(s.FillMask->Pixel(16, 31), kFillOutside);  // the weaker sound
  EXPECT_EQ(s.GreenMarkup->Pixel(2, 2), 0);
  EXPECT_EQ(s.GreenMarkup->Pixel(16, 31), 90);
  EXPECT_EQ(s.MinY, 2);
  EXPECT_EQ(s.MaxY, 12);
  EXPECT_EQ(s.MinX, 2);
  EXPECT_EQ(s.MaxX, 12);
  EXPECT_EQ(s.FillGradient, 0);
  EXPECT_EQ(s.FillDepth, 0);
}

TEST(FindNextSoundTest, MarkingsWithinFifteenOfTheLevelAreOneSound) {
  struct Case {
    int32_t second;
    bool joined;
  };
  for (const Case c : {Case{190, true}, Case{185, false}}) {
    SCOPED_TRACE(c.second);
    TPage page(20, 40);
    page.Green(Paint(20, 40, {{2, 2, 10, 10, 200}, {2, 20, 10, 30, c.second}}));
    page.scan->FindNextSound();
    EXPECT_EQ(page.scan->MaxX, c.joined ? 30 : 10);
    if (!c.joined) {
      page.scan->FindNextSound();
      EXPECT_EQ(page.scan->MarkupLevel, c.second);
      EXPECT_EQ(page.scan->MinX, 20);
    }
  }
}

TEST(FindNextSoundTest, TextModeOnlyCountsAndMissingSoundFails) {
  TPage page(10, 10);
  page.scan->TextMode = true;
  page.scan->FillMask->Pixel(3, 3) = 42;
  page.scan->FindNextSound();
  EXPECT_EQ(page.scan->SoundNumber, 1);
  EXPECT_EQ(page.scan->FillMask->Pixel(3, 3), 42);
  page.scan->TextMode = false;
  EXPECT_EQ(ErrorOf([&] { page.scan->FindNextSound(); }), SoundNotFound(2));
}

// Random pages, filled again and again: regions, boxes and rim weights must
// equal those of the recursive definition.
TEST(FloodFillOrderTest, RandomPagesMatchTheRecursiveFill) {
  std::mt19937 rng(5);
  for (int32_t round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    const Grid markup = RandomMarkup(rng, 48, 64);
    if (TReferenceFill::Level(markup) < 30) continue;
    TPage page(48, 64);
    page.Red(markup);
    page.Green(markup);
    page.scan->FindNextBalloon();
    TReferenceFill balloon(markup, 0);
    balloon.RunBalloon();
    EXPECT_EQ(Copy(*page.scan->FillMask), balloon.mask);
    EXPECT_EQ(page.scan->MinX, balloon.minX);
    EXPECT_EQ(page.scan->MaxX, balloon.maxX);
    EXPECT_EQ(page.scan->MinY, balloon.minY);
    EXPECT_EQ(page.scan->MaxY, balloon.maxY);

    page.scan->FindNextSound();
    TReferenceFill sound(markup, kFillOutside);
    sound.RunSound();
    EXPECT_EQ(Copy(*page.scan->FillMask), sound.mask);
    EXPECT_EQ(Copy(*page.scan->GreenMarkup), sound.markup);
    EXPECT_EQ(page.scan->MinX, sound.minX);
    EXPECT_EQ(page.scan->MaxY, sound.maxY);
  }
}

// A weak rim of n x n pixels next to a small strong patch: the walk snakes
// through the rim one nesting step per pixel.
Grid Snake(int32_t n) { return Paint(n, n, {{0, 0, 5, 5, 100}}, 10); }

TEST(FloodFillOrderTest, DepthJustBelowTheLimitIsFine) {
  TPage page(400, 400);  // 159964 rim pixels
  page.Red(Snake(400));
  page.scan->FindNextBalloon();
  EXPECT_EQ(page.MaskCount(1), 400 * 400);
  EXPECT_EQ(page.scan->MaxX, 399);
  EXPECT_EQ(page.scan->MaxY, 399);
}

TEST(FloodFillOrderTest, BalloonOverflowStopsWhereTheRecursionWouldAndSavesTheErrorPage) {
  TPage page(450, 450);
  const Grid markup = Snake(450);
  page.Red(markup);
  page.scan->BalloonNumber = 2;
  EXPECT_EQ(ErrorOf([&] { page.scan->FindNextBalloon(); }), BalloonOverflow(3));
  EXPECT_EQ(page.scan->FillDepth, 170001);

  TReferenceFill reference(markup, 0);
  RunOnBigStack([&] { reference.RunBalloon(); });
  ASSERT_TRUE(reference.overflow);
  const Grid mask = Copy(*page.scan->FillMask);
  EXPECT_EQ(mask, reference.mask);

  // The filled part carries the ERROR pattern; the rest of the (white) page is pale.
  const scan_test::TBmp bmp = ReadBmp(page.dir.File("_error.bmp"));
  ASSERT_EQ(bmp.height, 450);
  ASSERT_EQ(bmp.bits, 8);
  EXPECT_FALSE(std::filesystem::exists(page.dir.File("_error.bmp.tmp")));
  int32_t letters = 0;
  for (int32_t y = 0; y < 450; ++y)
    for (int32_t x = 0; x < 450; ++x) {
      const int32_t v = bmp.rows[y][x];
      if (mask[y][x] == 1) {
        ASSERT_EQ(v, 255 - 255 * ErrorPatternBit(y, x)) << y << "," << x;
        letters += v == 0;
      } else {
        ASSERT_EQ(v, 191) << y << "," << x;
      }
    }
  EXPECT_GT(letters, 1000);
}

TEST(FloodFillOrderTest, SoundOverflowStopsWhereTheRecursionWould) {
  TPage page(450, 450);
  const Grid markup = Snake(450);
  page.Green(markup);
  EXPECT_EQ(ErrorOf([&] { page.scan->FindNextSound(); }), SoundOverflow(1));
  TReferenceFill reference(markup, kFillOutside);
  RunOnBigStack([&] { reference.RunSound(); });
  ASSERT_TRUE(reference.overflow);
  EXPECT_EQ(Copy(*page.scan->FillMask), reference.mask);
  EXPECT_EQ(Copy(*page.scan->GreenMarkup), reference.markup);
}

}  // namespace
}  // namespace drovix

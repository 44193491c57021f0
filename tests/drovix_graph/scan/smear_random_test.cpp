// The smear skips over ray samples that cannot meet opaque drawing, works
// positions out in double precision and falls back to the exact arithmetic
// near rounding boundaries. This test compares it with the plain rules on
// many small random pages: every method, ray counts from 1 to 100 power,
// grey and colour, screen tone, line art and noise, masks with soft edges
// (transparencies around the source and target thresholds), large holes,
// holes touching every edge, and pages with no opaque pixel at all. The
// pattern fill, which follows no such formula, is held on the same pages to
// what it must keep whatever it copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "drovix_graph/scan/smear/SmearThreads.h"
#include "smear_reference.h"

namespace drovix::smear_test {
namespace {

using TGrid = std::vector<int32_t>;

struct TRandomPage {
  int32_t h, w;
  std::vector<TGrid> planes;  // red, green, blue; grey pages use the first
  TGrid mask;
};

int32_t Pick(std::mt19937& rng, int32_t lo, int32_t hi) {
  return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
}

TGrid RandomPlane(std::mt19937& rng, int32_t h, int32_t w) {
  TGrid v(static_cast<size_t>(h * w));
  const int32_t kind = Pick(rng, 0, 3);
  const int32_t period = Pick(rng, 2, 6), dark = Pick(rng, 0, 90), light = Pick(rng, 140, 255);
  const int32_t noise = Pick(rng, 0, 12), flat = Pick(rng, 0, 255);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      int32_t g = flat;
      if (kind == 1) g = (x % period < period / 2 + 1 && y % period < period / 2 + 1) ? dark : light;  // dots
      if (kind == 2) g = ((x + y) / period) % 2 == 0 ? dark : light;       // hatching
      if (kind == 3) g = light - (light - dark) * y / std::max(1, h - 1);  // gradient
      v[static_cast<size_t>(y * w + x)] = std::clamp(g + Pick(rng, -noise, noise), 0, 255);
    }
  // Line art across the plane.
  for (int32_t l = Pick(rng, 0, 3); l > 0; --l) {
    const int32_t a = Pick(rng, -3, 3), b = Pick(rng, -w, w), value = Pick(rng, 0, 60);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        if (std::abs(a * y + b - x) <= 1) v[static_cast<size_t>(y * w + x)] = value;
  }
  return v;
}

// Boxes of lettering with a rim of low transparencies, some reaching the
// page edges, some covering most of the page.
TGrid RandomMask(std::mt19937& rng, int32_t h, int32_t w) {
  TGrid t(static_cast<size_t>(h * w), 0);
  if (Pick(rng, 0, 15) == 0) {
    std::fill(t.begin(), t.end(), 255);  // nothing to draw from
    return t;
  }
  static constexpr int32_t kRim[] = {1, 8, 12, 13, 19, 20, 21, 30, 128};
  for (int32_t n = Pick(rng, 1, 5); n > 0; --n) {
    const bool large = Pick(rng, 0, 4) == 0;
    const int32_t bh = large ? Pick(rng, h / 2, h) : Pick(rng, 1, std::max(1, h / 3));
    const int32_t bw = large ? Pick(rng, w / 2, w) : Pick(rng, 1, std::max(1, w / 3));
    const int32_t y0 = Pick(rng, -2, h - 1), x0 = Pick(rng, -2, w - 1);
    const int32_t rim = kRim[Pick(rng, 0, 8)], inner = Pick(rng, 0, 3) == 0 ? Pick(rng, 21, 254) : 255;
    for (int32_t y = y0 - 1; y <= y0 + bh; ++y)
      for (int32_t x = x0 - 1; x <= x0 + bw; ++x) {
        if (y < 0 || x < 0 || y >= h || x >= w) continue;
        const bool in = y >= y0 && y < y0 + bh && x >= x0 && x < x0 + bw;
        int32_t& cell = t[static_cast<size_t>(y * w + x)];
        cell = std::max(cell, in ? inner : rim);
      }
  }
  return t;
}

TPixelFn From(const TGrid& v, int32_t w) {
  return [&v, w](int32_t y, int32_t x) { return v[static_cast<size_t>(y * w + x)]; };
}

template <class Scan>
void Mark(Scan& s, const TRandomPage& page) {
  for (int32_t y = 0; y < page.h; ++y)
    for (int32_t x = 0; x < page.w; ++x)
      SetTransparency(s, y, x, page.mask[static_cast<size_t>(y * page.w + x)]);
}

// The automatic choice (one thread on pages this small), and pages split
// into bands refilled side by side.
constexpr int32_t kThreads[] = {0, 2, 3, 5};

struct TForcedThreads {
  explicit TForcedThreads(int32_t threads) { SetSmearThreadsForTesting(threads); }
  ~TForcedThreads() { SetSmearThreadsForTesting(0); }
};

TEST(SmearRandom, ManySmallPagesMatchThePlainRules) {
  std::mt19937 rng(20261210);
  static constexpr int32_t kPowers[] = {1, 2, 7, 25, 60, 100};
  int32_t compared = 0;
  for (int32_t round = 0; round < 6; ++round) {
    for (const TMethodCase& m : ReferenceMethods()) {
      for (bool colour : {false, true}) {
        TRandomPage page;
        page.h = Pick(rng, 2, 34);
        page.w = Pick(rng, 2, 34);
        for (int32_t p = 0; p < (colour ? 3 : 1); ++p)
          page.planes.push_back(RandomPlane(rng, page.h, page.w));
        page.mask = RandomMask(rng, page.h, page.w);
        const int32_t power = m.method == SDRAFT ? 0 : kPowers[Pick(rng, 0, 5)];
        SCOPED_TRACE(std::string(m.name) + (colour ? " colour" : " grey") + " power " +
                     std::to_string(power) + " round " + std::to_string(round) + " " +
                     std::to_string(page.h) + "x" + std::to_string(page.w));
        // The plain rules once, then the fast smear with every thread count:
        // the same pixels in every plane and, by any count, the same text.
        const auto compare = [&](auto make, auto planesOf) {
          auto plain = make();
          testing::internal::CaptureStdout();
          ReferenceSmear(*plain, planesOf(*plain), colour);
          testing::internal::GetCapturedStdout();
          std::string printed;
          for (int32_t threads : kThreads) {
            SCOPED_TRACE("threads " + std::to_string(threads));
            auto fast = make();
            TForcedThreads forced(threads);
            const std::string text = SmearPrinting(*fast);
            if (threads == 0) printed = text;
            ASSERT_EQ(text, printed);
            const std::vector<TDrovixGraph*> got = planesOf(*fast), want = planesOf(*plain);
            for (size_t p = 0; p < got.size(); ++p)
              ASSERT_EQ(Pixels(*got[p]), Pixels(*want[p])) << "plane " << p;
          }
        };
        const auto prepare = [&](auto s) {
          Mark(*s, page);
          s->SmearMethod = m.method;
          s->SmearPower = power;
          return s;
        };
        if (colour) {
          compare(
              [&] {
                return prepare(ColourScan(page.h, page.w, From(page.planes[0], page.w),
                                          From(page.planes[1], page.w), From(page.planes[2], page.w)));
              },
              [](TDrovixColorMangaScan& s) {
                return std::vector<TDrovixGraph*>{&s, s.GreenPlane.get(), s.RedPlane.get()};
              });
        } else {
          compare([&] { return prepare(GreyScan(page.h, page.w, From(page.planes[0], page.w))); },
                  [](TDrovixMangaScan& s) { return std::vector<TDrovixGraph*>{&s}; });
        }
        ++compared;
      }
    }
  }
  EXPECT_EQ(compared, 6 * 8 * 2);
}

// The pattern fill has no formula to compare with. On the same random pages
// it must give the same pixels and text on every run, whatever the thread
// count, leave every pixel that is not a target as it was, and give each
// target either a mean of copied sources (inside the range of the plane's
// opaque pixels) or the ERROR pattern.
TEST(SmearRandom, PatternFillIsRepeatableAndCopiesOnlyOpaquePixels) {
  std::mt19937 rng(20261211);
  static constexpr int32_t kPowers[] = {1, 2, 7, 25, 60, 100};
  for (int32_t round = 0; round < 12; ++round) {
    for (bool colour : {false, true}) {
      TRandomPage page;
      page.h = Pick(rng, 2, 34);
      page.w = Pick(rng, 2, 34);
      for (int32_t p = 0; p < 3; ++p) page.planes.push_back(RandomPlane(rng, page.h, page.w));
      page.mask = RandomMask(rng, page.h, page.w);
      const int32_t power = kPowers[Pick(rng, 0, 5)];
      SCOPED_TRACE(std::string(colour ? "colour" : "grey") + " power " + std::to_string(power) + " round " +
                   std::to_string(round) + " " + std::to_string(page.h) + "x" + std::to_string(page.w));
      // Planes in the order the scan keeps them: blue (or grey), green, red.
      const auto run = [&](int32_t threads) {
        TForcedThreads forced(threads);
        std::unique_ptr<TDrovixMangaScan> s;
        std::vector<TDrovixGraph*> planes;
        if (colour) {
          auto c = ColourScan(page.h, page.w, From(page.planes[0], page.w), From(page.planes[1], page.w),
                              From(page.planes[2], page.w));
          planes = {c.get(), c->GreenPlane.get(), c->RedPlane.get()};
          s = std::move(c);
        } else {
          s = GreyScan(page.h, page.w, From(page.planes[2], page.w));
          planes = {s.get()};
        }
        Mark(*s, page);
        s->SmearMethod = SPATTERN;
        s->SmearPower = power;
        std::vector<std::vector<int32_t>> before, after;
        for (const TDrovixGraph* g : planes) before.push_back(Pixels(*g));
        const std::string text = SmearPrinting(*s);
        for (const TDrovixGraph* g : planes) after.push_back(Pixels(*g));
        return std::make_tuple(text, before, after);
      };
      const auto [text, before, after] = run(0);
      for (int32_t threads : {0, 2, 5}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        const auto [again, unused, afterAgain] = run(threads);
        ASSERT_EQ(again, text);
        ASSERT_EQ(afterAgain, after);
      }
      std::vector<int32_t> lo(before.size(), 255), hi(before.size(), 0);
      for (size_t i = 0; i < page.mask.size(); ++i)
        if (page.mask[i] <= 12)
          for (size_t p = 0; p < before.size(); ++p) {
            lo[p] = std::min(lo[p], before[p][i]);
            hi[p] = std::max(hi[p], before[p][i]);
          }
      for (size_t i = 0; i < page.mask.size(); ++i) {
        const int32_t y = static_cast<int32_t>(i) / page.w, x = static_cast<int32_t>(i) % page.w;
        if (page.mask[i] <= 20) {
          for (size_t p = 0; p < before.size(); ++p) ASSERT_EQ(after[p][i], before[p][i]) << y << "," << x;
          continue;
        }
        const int32_t bit = 255 * ErrorPatternBit(y, x);
        const std::vector<int32_t> error =
            colour ? std::vector<int32_t>{bit, 0, 255 - bit} : std::vector<int32_t>{bit};
        bool copied = true, failed = true;
        for (size_t p = 0; p < before.size(); ++p) {
          copied = copied && after[p][i] >= lo[p] && after[p][i] <= hi[p];
          failed = failed && after[p][i] == error[p];
        }
        ASSERT_TRUE(copied || failed) << y << "," << x;
      }
    }
  }
}

}  // namespace
}  // namespace drovix::smear_test

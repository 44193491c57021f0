// The page scheduler: the working memory it counts for a page, the pages
// the memory lets it build side by side, and the cores it gives the run
// (-j<N> keeps the pages and their threads to N busy cores; no such key, to
// the processor's).
#include "drovix_parser/build/TPageScheduler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "MangaTestUtil.h"
#include "common/TgaFile.h"
#include "driver/console/Cp1251.h"
#include "driver/console/TCoreLease.h"
#include "drovix_parser/script/TDrovixManga.h"
#include "drovix_parser/script/TDrovixMangaPage.h"

namespace drovix {
namespace {

TEST(PageScheduler, WorkingBytesFollowTheScaleOfTheBuild) {
  const int32_t big = 2147483647;
  // 28 bytes a pixel at the working size.
  EXPECT_EQ(PageWorkingBytes(1000, 2000, 0, 200, 200, big, big), 28LL * 1000 * 2000);
  EXPECT_EQ(PageWorkingBytes(1000, 2000, 0, 200, 200, 500, big), 28LL * 1000 * 2000);  // shrunk after
  EXPECT_EQ(PageWorkingBytes(100, 200, 0, 200, 200, big, big), 28LL * 200 * 400);      // enlarged first
  EXPECT_EQ(PageWorkingBytes(1000, 2000, 1, 200, 200, big, big), 28LL * 2000 * 4000);  // release: twice
  EXPECT_EQ(PageWorkingBytes(4000, 4000, 1, 200, 200, big, big), 28LL * 4100 * 4100);  // capped side
  EXPECT_EQ(PageWorkingBytes(0, 0, 0, 200, 200, big, big), 0);
}

TEST(PageScheduler, MemoryAdmitsAPageWhileThePagesInFlightFit) {
  static const struct {
    int64_t inFlight;
    int32_t running;
    int64_t page, budget;
    bool admitted;
  } kCases[] = {
      {60, 1, 40, 100, true},                                   // fills the budget exactly
      {61, 1, 40, 100, false},                                  // one byte over
      {50, 2, 50, 100, true},                                   // beside two pages
      {90, 2, 20, 100, false},        {0, 1, 101, 100, false},  // too large beside even a page of no size
      {0, 3, 0, 100, true},                                     // a scan of unknown size counts nothing
      {0, 0, 500, 100, true},                                   // alone: starts however large it is
      {200, 0, 500, 100, true},                                 // nothing runs, whatever was counted
      {1000, 3, 1LL << 40, 0, true},                            // no budget: no cap
      {1000, 3, 1LL << 40, -1, true},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(MemoryAdmitsPage(c.inFlight, c.running, c.page, c.budget), c.admitted)
        << c.inFlight << " + " << c.page << " of " << c.budget << ", " << c.running << " running";
}

// Builds, in process and with three pages allowed at a time, a chapter of
// three blank 60 x 80 pages under a memory budget of budget(bytes of one
// page's working planes). Returns the most pages that were in flight at once
// and the count of pages written.
std::pair<int32_t, size_t> BuildCapped(int64_t (*budget)(int64_t)) {
  using test_common::TgaBytes;
  using test_common::TTgaForm;
  testing::TempFolder dir;
  const std::string d = dir.Path();
  std::filesystem::create_directories(d + "out");
  // Every letter a solid bar in its 32 x 32 cell, Ю the widest.
  testing::WriteBytes(d + "f0.tga", TgaBytes(512, 512, TTgaForm::kRaw32, [](int32_t x, int32_t y) {
                        const int32_t code = 16 * (y / 32) + x / 32;
                        const bool ink =
                            code > 32 && y % 32 >= 6 && y % 32 <= 25 && x % 32 < (code == 222 ? 20 : 10);
                        return ink ? 0xFF000000u : 0xFFFFFFFFu;
                      }));
  for (const char* name : {"p1", "p2", "p3"})
    testing::WriteBytes(d + name + ".tga",
                        TgaBytes(60, 80, TTgaForm::kRaw32, [](int32_t, int32_t) { return 0xFFFFFFFFu; }));
  testing::WriteBytes(d + "ch.manga", Ru("МАНГА(out)\nШРИФТ(f0, f0, f0)\n%p1()\n%p2()\n%p3()\nКОНЕЦ()\n"));

  TDrovixManga manga(d + "ch.manga");
  manga.CheckPass();
  manga.LoadFonts();
  const TDrovixMangaPage& first = *manga.Pages.at(0);
  const int64_t pageBytes = PageWorkingBytes(60, 80, manga.Quality, first.MinWidth, first.MinHeight,
                                             first.MaxWidth, first.MaxHeight);
  EXPECT_GT(pageBytes, 0);
  TPageScheduler scheduler(manga, 3);
  scheduler.SetMemoryBudgetForTesting(budget(pageBytes));
  scheduler.Run();
  size_t written = 0;
  for (const auto& entry : std::filesystem::directory_iterator(d + "out")) written += entry.is_regular_file();
  return {scheduler.MostPagesInFlightForTesting(), written};
}

TEST(PageScheduler, TheMemoryBudgetLimitsThePagesInFlight) {
  static const struct {
    const char* budget;
    int64_t (*bytes)(int64_t page);
    int32_t most;
  } kCases[] = {
      // Every page alone is over the budget, and still built.
      {"1 byte", [](int64_t) { return int64_t{1}; }, 1},
      {"2 pages less a byte", [](int64_t page) { return 2 * page - 1; }, 1},
      {"2 pages", [](int64_t page) { return 2 * page; }, 2},
      {"none", [](int64_t) { return int64_t{0}; }, 3},
  };
  for (const auto& c : kCases) {
    const auto [most, written] = BuildCapped(c.bytes);
    EXPECT_EQ(most, c.most) << c.budget;
    EXPECT_EQ(written, 3u) << c.budget;
  }
}

TEST(PageScheduler, TheRunGetsAsManyCoresAsPagesAtATime) {
  testing::TempFolder dir;
  testing::WriteBytes(dir.Path() + "ch.manga", Ru("КОНЕЦ()\n"));
  TDrovixManga manga(dir.Path() + "ch.manga");
  const auto freeCores = [] { return TCoreLease(1 << 20).Count(); };
  for (const int32_t parallel : {1, 3, 7}) {
    const TPageScheduler scheduler(manga, parallel);
    EXPECT_EQ(scheduler.Workers(), parallel);
    EXPECT_EQ(freeCores(), parallel);
  }
  const TPageScheduler all(manga, 0);
  EXPECT_EQ(all.Workers(), ProcessorCount());
  EXPECT_EQ(freeCores(), ProcessorCount());
}

}  // namespace
}  // namespace drovix

// The page scheduler: the working memory it counts for a page, and the
// cores it gives the run (-j<N> keeps the pages and their threads to N
// busy cores; no such key, to the processor's).
#include "drovix_parser/build/TPageScheduler.h"

#include <gtest/gtest.h>

#include "MangaTestUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/TCoreLease.h"
#include "drovix_parser/script/TDrovixManga.h"

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

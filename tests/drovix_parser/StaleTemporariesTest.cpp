// Names of temporaries a killed run leaves, and the pages a chapter may
// build side by side within its memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include "drovix_parser/build/StaleTemporaries.h"
#include "drovix_parser/build/TPageScheduler.h"
#include "drovix_parser/record/TBuildRecord.h"

namespace drovix {
namespace {

TEST(StaleTemporaries, OwnerOfEachName) {
  using P = TTemporaryPlace;
  const struct {
    const char* name;
    P place;
    long owner;
  } cases[] = {
      {".p01.123.part.png.~123", P::OutputFolder, 123},
      {".p01.123.part.png", P::OutputFolder, 123},
      {".p01.123.part.~123", P::OutputFolder, 123},
      {".p01.123.part", P::OutputFolder, 123},
      {".p12.5.77.part.png.~77", P::OutputFolder, 77},  // a dot in the page name
      {".p01.123.part.png.~124", P::OutputFolder, 0},   // two ids: not ours
      {".123.part", P::OutputFolder, 0},                // no page name
      {"p01.123.part", P::OutputFolder, 0},
      {".p01.0123.part", P::OutputFolder, 0},
      {".p01.x.part", P::OutputFolder, 0},
      {"p01.png", P::OutputFolder, 0},
      {".p01.99999999999.part", P::OutputFolder, 0},
      {"_error.bmp.tmp.~55", P::ScanFolder, 55},
      {"_error.bmp.~55", P::ScanFolder, 55},
      {"_error.bmp.tmp", P::ScanFolder, 0},
      {"p01.tga.~55", P::ScanFolder, 0},
      {".p01.123.part", P::ScanFolder, 0},
      {"ch.ini.321.0.tmp", P::ScriptFolder, 321},
      {"ch.ini.321.17.tmp", P::ScriptFolder, 321},
      {"ch.ini.321.tmp", P::ScriptFolder, 0},
      {"other.ini.321.0.tmp", P::ScriptFolder, 0},
      {"ch.ini.321.a.tmp", P::ScriptFolder, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(TemporaryOwner(c.name, c.place, "ch.ini"), c.owner) << c.name;
}

TEST(StaleTemporaries, ProcessExists) {
  EXPECT_TRUE(ProcessExists(::getpid()));
  EXPECT_TRUE(ProcessExists(1));  // another user's process counts too
  EXPECT_FALSE(ProcessExists(0));
  EXPECT_FALSE(ProcessExists(-5));
}

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

TEST(BuildRecordSection, CopyTellsWhetherAnythingChanged) {
  TBuildRecord main, page;
  main.WriteString("a", "k1", "1");
  main.WriteString("b", "k1", "x");
  page.CopySection(main, "a");
  EXPECT_EQ(page.AsText(), "[a]\nk1=1\n");
  EXPECT_FALSE(main.CopySection(page, "a"));
  page.WriteString("a", "k2", "2");
  page.WriteString("a", "k1", "1");
  EXPECT_TRUE(main.CopySection(page, "a"));
  EXPECT_EQ(main.AsText(), "[a]\nk1=1\nk2=2\n[b]\nk1=x\n");
  page.WriteString("a", "k1", "3");
  EXPECT_TRUE(main.CopySection(page, "a"));
  EXPECT_FALSE(main.CopySection(page, "missing"));
}

}  // namespace
}  // namespace drovix

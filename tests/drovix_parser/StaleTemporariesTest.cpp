// Names of temporaries a killed run leaves, and whether their owner still
// runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include "drovix_parser/build/StaleTemporaries.h"

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

}  // namespace
}  // namespace drovix

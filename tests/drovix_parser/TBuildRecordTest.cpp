#include "drovix_parser/record/TBuildRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "MangaTestUtil.h"
#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

using testing::MessageOf;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(BuildRecord, AbsentFileReadsEmptyAndSaveRoundTrips) {
  TempFolder dir;
  const std::string file = dir.Path() + "chapter.ini";
  TBuildRecord record(file);
  EXPECT_EQ(record.AsText(), "");
  EXPECT_FALSE(std::filesystem::exists(file));  // nothing written before Save

  // Section names are paths (with ']' possible), values hold '=' and blanks.
  const std::string page = dir.Path() + "scans/p[1]";
  record.WriteString(page, "Output file age", "-2");
  record.WriteString(page, "Summary", "a=b ] [c] ");
  record.WriteInteger(page, "Quality", -1);
  record.WriteString(dir.Path() + "p02", "Summary", Ru("Привет!%А"));
  record.WriteString(page, "Output file age", "123");  // replaced in place
  record.Save();

  const std::string expected = "[" + page + "]\nOutput file age=123\nSummary=a=b ] [c] \n" + "Quality=-1\n[" +
                               dir.Path() + "p02]\nSummary=" + Ru("Привет!%А") + "\n";
  EXPECT_EQ(ReadBytes(file), expected);
  // Only the record itself is left in the folder: the temporary file was renamed.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);

  TBuildRecord again(file);
  EXPECT_EQ(again.AsText(), expected);
  EXPECT_EQ(again.ReadString(page, "Summary", "?"), "a=b ] [c] ");
  EXPECT_EQ(again.ReadInteger(page, "Quality", 7), -1);
  EXPECT_EQ(again.ReadString(page, "SmartSmear summary", "none"), "none");
  EXPECT_EQ(again.ReadString("elsewhere", "Summary", "none"), "none");
}

TEST(BuildRecord, DamagedTextReadsAsFarAsItMakesSense) {
  static const struct {
    const char* name;
    std::string text;
    std::string expected;  // AsText after reading
  } cases[] = {
      {"keys before any section are dropped", "a=1\n[s]\nb=2\n", "[s]\nb=2\n"},
      {"CR LF and CR line ends", "[s]\r\nb=2\r\rc=3\r", "[s]\nb=2\nc=3\n"},
      {"first of repeated keys counts", "[s]\nb=1\nb=2\n", "[s]\nb=1\n"},
      {"repeated section merges", "[s]\nb=1\n[t]\n[s]\nc=2\n", "[s]\nb=1\nc=2\n[t]\n"},
      {"header without ']' skips its keys", "[s\nb=1\n[t]\nc=2\n", "[t]\nc=2\n"},
      {"lines without '=' and empty keys", "[s]\njunk\n=5\n  k  = v \n", "[s]\nk= v \n"},
      {"NUL bytes and high bytes", std::string("[s\0x]\nk=\xFF\0\n", 11),
       std::string("[s\0x]\nk=\xFF\0\n", 11)},
      {"empty section name", "[]\nk=1\n", "[]\nk=1\n"},
      {"indented header", "  [s]  \n k=1\n", "[s]\nk=1\n"},
      {"no line end at the end", "[s]\nk=1", "[s]\nk=1\n"},
  };
  for (const auto& c : cases) {
    TBuildRecord record("unused.ini");
    record.LoadFromText(c.text);
    EXPECT_EQ(record.AsText(), c.expected) << c.name;
  }
}

TEST(BuildRecord, QualityThatIsNoIntegerReadsAsDefault) {
  static const struct {
    const char* value;
    int32_t expected;
  } cases[] = {{"1", 1},
               {" -1 ", -1},
               {"", -5},
               {"x", -5},
               {"1x", -5},
               {"0x10", -5},
               {"99999999999", -5},
               {"2147483647", 2147483647},
               // Other white space may lead, not follow; one sign only.
               {"\v\f+3", 3},
               {"3\v", -5},
               {"+-3", -5},
               {"--3", -5},
               {"-2147483648", INT32_MIN},
               {"-2147483649", -5}};
  for (const auto& c : cases) {
    TBuildRecord record("unused.ini");
    record.LoadFromText(std::string("[s]\nQuality=") + c.value + "\n");
    EXPECT_EQ(record.ReadInteger("s", "Quality", -5), c.expected) << c.value;
  }
}

TEST(BuildRecord, RandomBytesNeverCrash) {
  std::mt19937 rng(20240601);
  const std::string alphabet("[]=\r\n ab\0\xFF", 10);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = static_cast<int>(rng() % 64);
    for (int i = 0; i < length; ++i) text += alphabet[rng() % alphabet.size()];
    TBuildRecord record("unused.ini");
    record.LoadFromText(text);
    // What was read writes out and reads back the same.
    TBuildRecord again("unused.ini");
    again.LoadFromText(record.AsText());
    ASSERT_EQ(again.AsText(), record.AsText()) << round;
  }
}

TEST(BuildRecord, SaveIntoMissingFolderRaisesAndLeavesNothing) {
  TempFolder dir;
  const std::string file = dir.Path() + "gone/chapter.ini";
  TBuildRecord record(file);
  record.WriteString("s", "k", "v");
  EXPECT_EQ(MessageOf([&] { record.Save(); }),
            Ru("Не удалось записать файл \"") + file + Ru("\": такой папки нет"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "gone"));
}

TEST(BuildRecord, SaveReplacesTheOldFileWhole) {
  TempFolder dir;
  const std::string file = dir.Path() + "chapter.ini";
  WriteBytes(file, std::string(10000, 'x'));  // a longer old file: no tail may remain
  TBuildRecord record(file);
  EXPECT_EQ(record.AsText(), "");
  record.WriteString("s", "k", "v");
  record.Save();
  EXPECT_EQ(ReadBytes(file), "[s]\nk=v\n");
}

}  // namespace
}  // namespace drovix

namespace drovix {
namespace {

TEST(BuildRecord, HugeDamagedRecordReadsInLinearTime) {
  // 100000 distinct headers and 100000 distinct keys in one section: a
  // quadratic reader would take minutes here.
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "[s" + std::to_string(i) + "]\n";
  for (int i = 0; i < 100000; ++i) text += "k" + std::to_string(i) + "=v\n";
  TBuildRecord record("unused.ini");
  record.LoadFromText(text);
  EXPECT_EQ(record.ReadString("s99999", "k99999", "none"), "v");
  EXPECT_EQ(record.ReadString("s0", "k0", "none"), "none");
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

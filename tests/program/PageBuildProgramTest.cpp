// Whole-program runs that build pages: the up-to-date test of the build
// record, rebuilds, output files and the failure path of a page.
#include <gtest/gtest.h>

#include <string>

#include "ProgramTestUtil.h"

namespace drovix::program_test {
namespace {

// A chapter of two small pages: p01 with one red balloon, p02 with one green
// sound and a transparent patch of old lettering.
class Chapter : public ::testing::Test {
 protected:
  Chapter() {
    const std::string d = dir_.Path();
    SaveChapterBasics(d);

    TPicture p01(240, 320);
    p01.Grey(10, 12, 10, 229, 0);
    p01.Rect(40, 120, 30, 200, 255, 200, 200);  // balloon: red markup 55 over grey 200
    p01.SaveTga(d + "p01");

    TPicture p02(240, 320);
    p02.Rect(200, 260, 40, 120, 0, 255, 0);  // sound: a black shape marked green
    p02.Grey(60, 66, 60, 80, 0);
    p02.Rect(58, 68, 58, 82, 255, 255, 255, 0);  // old lettering to remove
    p02.SaveTga(d + "p02");
  }

  void Script(const std::string& head, const std::string& p01 = "(Привет!)",
              const std::string& p02 = "ЗВУК((%0)(%255,2))") {
    WriteScript(dir_.Path() + "ch.manga", "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\n" + head +
                                              "\n%p01(\n" + p01 + "\n)\n%p02(\n" + p02 + "\n)\nКОНЕЦ()\n");
  }
  TRun Run(std::vector<std::string> keys = {}) {
    keys.insert(keys.begin(), "ch.manga");
    return RunDrovix(dir_.Path(), keys);
  }
  std::string Out(const std::string& name) const { return dir_.Path() + "out/" + name; }

  TempFolder dir_;
};

// What the program printed for one page: the text after its "СТРАНИЦА:"
// line up to the next empty line.
std::string PageLine(const TRun& run, const std::string& page) {
  const std::string head = "STRANICA: " + page + "\n";
  const size_t at = run.output.find(head);
  if (at == std::string::npos) return "<no page line>";
  const size_t from = at + head.size();
  const size_t to = run.output.find("\n\n", from);
  std::string line = run.output.substr(from, to == std::string::npos ? std::string::npos : to - from);
  while (line.ends_with("\n")) line.pop_back();
  return line;
}
bool Built(const std::string& line) { return line.starts_with("  gruzhu...") && line.ends_with("...OK."); }
const char kSkipped[] = "  NEFIG DELAT6.";

ino_t Inode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_ino;
}

// Names in a folder that are neither pages nor the record: temporary files.
std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.starts_with(".") || name.ends_with(".tmp") || name.ends_with(".part")) names.push_back(name);
  }
  return names;
}

TEST_F(Chapter, UnchangedPagesAreSkippedAndChangedOnesRebuilt) {
  Script("ЗАПРЕТИТЬ_ПНГ()");
  TRun run = Run();
  EXPECT_TRUE(Built(PageLine(run, "p01"))) << run.output;
  EXPECT_TRUE(Built(PageLine(run, "p02"))) << run.output;
  ASSERT_TRUE(Exists(Out("p01.bmp")) && Exists(Out("p02.bmp")));
  EXPECT_FALSE(Exists(Out("p01.png")));
  const std::string record = ReadBytes(dir_.Path() + "ch.ini");
  for (const char* key : {"Output file age=", "Summary=", "Quality=0", "SmartSmear summary="})
    EXPECT_NE(record.find(key), std::string::npos) << key;
  EXPECT_EQ(Leftovers(dir_.Path() + "out"), std::vector<std::string>{});
  EXPECT_EQ(Leftovers(dir_.Path()), std::vector<std::string>{});

  // Nothing changed: nothing is loaded or written, the record stays the same.
  const ino_t p01 = Inode(Out("p01.bmp"));
  run = Run();
  EXPECT_EQ(PageLine(run, "p01"), kSkipped);
  EXPECT_EQ(PageLine(run, "p02"), kSkipped);
  EXPECT_EQ(Inode(Out("p01.bmp")), p01);
  EXPECT_EQ(ReadBytes(dir_.Path() + "ch.ini"), record);

  // A touched scan rebuilds its page only.
  SetFileTime(dir_.Path() + "p02.tga", FileTime(dir_.Path() + "p02.tga") - 3600);
  run = Run();
  EXPECT_EQ(PageLine(run, "p01"), kSkipped);
  EXPECT_TRUE(Built(PageLine(run, "p02"))) << run.output;

  // So does a deleted output picture.
  std::filesystem::remove(Out("p01.bmp"));
  run = Run();
  EXPECT_TRUE(Built(PageLine(run, "p01"))) << run.output;
  EXPECT_EQ(PageLine(run, "p02"), kSkipped);

  // A release build rebuilds pages of a normal build; a draft or a normal
  // build then keeps them.
  run = Run({"-r"});
  EXPECT_TRUE(Built(PageLine(run, "p01"))) << run.output;
  EXPECT_TRUE(Built(PageLine(run, "p02"))) << run.output;
  EXPECT_EQ(PageLine(Run({"-d"}), "p01"), kSkipped);
  EXPECT_EQ(PageLine(Run(), "p02"), kSkipped);
}

TEST_F(Chapter, OnlyTheCleaningMethodChanged) {
  Script("ЗАПРЕТИТЬ_ПНГ()");
  Run();
  const ino_t p01 = Inode(Out("p01.bmp"));
  Script("ЗАПРЕТИТЬ_ПНГ()\nМЕТОД_ЗАМАЗКИ(простая)");
  const TRun run = Run();
  // p01 has nothing to clean: loaded, then left alone.
  const std::string line = PageLine(run, "p01");
  EXPECT_TRUE(line.starts_with("  gruzhu...")) << line;
  EXPECT_TRUE(line.ends_with("...NEFIG DELAT6.\n  NEFIG DELAT6.")) << line;
  EXPECT_EQ(Inode(Out("p01.bmp")), p01);
  // p02 has transparent pixels: rebuilt.
  EXPECT_TRUE(Built(PageLine(run, "p02"))) << run.output;
  const std::string record = ReadBytes(dir_.Path() + "ch.ini");
  EXPECT_NE(record.find("SmartSmear summary=" + Ru("ПРОСТАЯ 25") + "\n"), std::string::npos);
  EXPECT_EQ(record.find("SmartSmear summary=" + Ru("ХИТРАЯ")), std::string::npos);
}

TEST_F(Chapter, DraftRecordsNoCleaningFingerprint) {
  Script("ЗАПРЕТИТЬ_ПНГ()\nДАВИТЬ_ЗЕРНО(3)");
  const TRun run = Run({"-d"});
  EXPECT_TRUE(Built(PageLine(run, "p01"))) << run.output;
  const std::string record = ReadBytes(dir_.Path() + "ch.ini");
  EXPECT_NE(record.find("Quality=-1"), std::string::npos);
  EXPECT_EQ(record.find("SmartSmear"), std::string::npos);
}

TEST_F(Chapter, FailedPageKeepsTheRecordOfThePagesBefore) {
  Script("ЗАПРЕТИТЬ_ПНГ()", "(Привет!)", "ЗВУК((%0))\n(a)");  // p02 has no red area
  const TRun run = Run();
  EXPECT_TRUE(Built(PageLine(run, "p01"))) << run.output;
  EXPECT_NE(run.output.find(Shown("\n\rКрах при сборке страницы \"" + dir_.Path() + "p02\":\n\r")),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.status, 1);
  const std::string record = ReadBytes(dir_.Path() + "ch.ini");
  EXPECT_NE(record.find("[" + dir_.Path() + "p01]\nSummary="), std::string::npos) << record;
  EXPECT_EQ(record.find("p02]"), std::string::npos) << record;
  EXPECT_TRUE(Exists(Out("p01.bmp")));
  EXPECT_FALSE(Exists(Out("p02.bmp")));
  EXPECT_EQ(Leftovers(dir_.Path() + "out"), std::vector<std::string>{});
}

TEST_F(Chapter, PngOutputAndPagesWithADotInTheName) {
  std::filesystem::rename(dir_.Path() + "p02.tga", dir_.Path() + "p02.5.tga");
  WriteScript(dir_.Path() + "ch.manga",
              "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\n%p01((a))\n%p02.5(ЗВУК((%0)))\n"
              "КОНЕЦ()\n");
  TRun run = Run();
  EXPECT_TRUE(Built(PageLine(run, "p02.5"))) << run.output;
  EXPECT_EQ(ReadBytes(Out("p01.png")).substr(0, 8), "\x89PNG\r\n\x1A\n");
  EXPECT_TRUE(Exists(Out("p02.5.png")));
  EXPECT_EQ(Leftovers(dir_.Path() + "out"), std::vector<std::string>{});
  // The second run sees the files the first one read and wrote.
  run = Run();
  EXPECT_EQ(PageLine(run, "p01"), kSkipped);
  EXPECT_EQ(PageLine(run, "p02.5"), kSkipped);
  SetFileTime(dir_.Path() + "p02.5.tga", FileTime(dir_.Path() + "p02.5.tga") - 3600);
  run = Run();
  EXPECT_EQ(PageLine(run, "p01"), kSkipped);
  EXPECT_TRUE(Built(PageLine(run, "p02.5"))) << run.output;
}

}  // namespace
}  // namespace drovix::program_test

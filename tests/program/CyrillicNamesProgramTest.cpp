// Cyrillic names of folders and files: the script is Windows-1251 inside (or
// UTF-8 on disk), the file system keeps names as UTF-8, and a file saved
// under its raw Windows-1251 bytes is still found.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ProgramTestUtil.h"

namespace drovix::program_test {
namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
  return n;
}

// The chapter lies in a folder "глава" (UTF-8, as the shell passes it); the
// output folder, fonts, texture and %Ф picture all have Cyrillic names. Page
// стр01 is stored under its UTF-8 name, page стр02 under its Windows-1251
// bytes.
void MakeChapter(const std::string& d) {
  std::filesystem::create_directories(d + "выход");
  SaveFontSheet(d + "шрифты/обычный", 25);
  SaveFontSheet(d + "шрифты/жирный", 23);
  SaveFontSheet(d + "шрифты/курсив", 21);
  TPicture texture(8, 8, 255);
  texture.Grey(0, 3, 0, 3, 0);
  texture.SaveTga(d + "текстуры/штрих");
  TPicture sign(24, 32, 255);
  sign.Grey(4, 27, 4, 19, 0);
  sign.SaveTga(d + "картинки/знак");

  TPicture p01(240, 320);
  p01.Rect(20, 150, 10, 230, 255, 200, 200);  // a red balloon
  p01.Rect(200, 260, 40, 120, 0, 255, 0);     // a green sound
  p01.SaveTga(d + "стр01");
  TPicture p02(240, 320);
  p02.Rect(40, 120, 30, 200, 255, 200, 200);
  p02.SaveTga(d + Ru("стр02"));
}

const char kScript[] =
    "МАНГА(выход)\n"
    "ШРИФТ(шрифты/обычный, шрифты/жирный, шрифты/курсив)\n"
    "ТЕКСТУРА(штрих, текстуры/штрих)\n"
    "%стр01(\n"
    "  ЗВУК((штрих)(%255,2))\n"
    "  (Привет %Ф(картинки/знак) мир!)\n"
    ")\n"
    "%стр02(\n"
    "  (Пока!)\n"
    ")\n"
    "КОНЕЦ()\n";

class CyrillicNames : public ::testing::TestWithParam<bool> {};

TEST_P(CyrillicNames, ChapterBuildsAndIsUpToDateOnTheSecondRun) {
  const bool utf8Script = GetParam();
  TempFolder dir;
  const std::string d = dir.Path() + "глава/";
  MakeChapter(d);
  WriteBytes(d + "глава1.manga", utf8Script ? std::string(kScript) : Ru(kScript));

  const TRun run = RunDrovix(d, {"глава1.manga"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "sohranjaju...OK."), 2u) << run.output;
  // Pages are written under their UTF-8 names, nothing under the raw bytes.
  EXPECT_TRUE(Exists(d + "выход/стр01.png"));
  EXPECT_TRUE(Exists(d + "выход/стр02.png"));
  EXPECT_FALSE(Exists(d + "выход/" + Ru("стр02.png")));
  EXPECT_TRUE(Exists(d + "глава1.ini"));
  // The record keeps its Windows-1251 section names.
  EXPECT_NE(ReadBytes(d + "глава1.ini").find(Ru("/стр01]")), std::string::npos);

  // File ages are read through the same names: nothing to do the second time.
  const TRun again = RunDrovix(d, {"глава1.manga"});
  ASSERT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(Count(again.output, "  NEFIG DELAT6."), 2u) << again.output;
}

INSTANTIATE_TEST_SUITE_P(ScriptEncodings, CyrillicNames, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Utf8Script" : "Cp1251Script"; });

TEST(CyrillicNamesFailure, ErrorPageLandsBesideTheScans) {
  TempFolder dir;
  const std::string d = dir.Path() + "глава/";
  MakeChapter(d);
  TPicture page(240, 320);
  page.Rect(40, 120, 30, 200, 255, 200, 200);
  page.SaveTga(d + "сканы/стр05");
  // Two balloons for a page with one red region; the scans lie in a folder
  // named through the name prefix.
  WriteScript(d + "ch.manga",
              "МАНГА(выход)\nШРИФТ(шрифты/обычный, шрифты/жирный, шрифты/курсив)\n"
              "ПРЕФИКС_ИМЕНИ_ФАЙЛА(сканы/)\n%стр05(\n(Раз)\n(Два)\n)\nКОНЕЦ()\n");
  const TRun run = RunDrovix(d, {"ch.manga"});
  EXPECT_NE(run.output.find("_error.bmp"), std::string::npos) << run.output;
  EXPECT_TRUE(Exists(d + "сканы/_error.bmp")) << run.output;
  EXPECT_FALSE(Exists(d + "выход/стр05.png"));
}

}  // namespace
}  // namespace drovix::program_test

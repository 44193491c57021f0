#include "drovix_parser/script/TDrovixManga.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "MangaTestUtil.h"
#include "driver/console/Cp1251.h"
#include "drovix_graph/raster/FileAge.h"
#include "drovix_parser/build/TPageRecord.h"
#include "drovix_parser/script/TDrovixMangaPage.h"

namespace drovix {
namespace {

using testing::MessageOf;
using testing::TempFolder;
using testing::WriteBytes;

TEST(MangaScript, ConstructionFindsTheScript) {
  TempFolder dir;
  WriteBytes(dir.Path() + "chapter.manga", Ru("; только комментарий\nКОНЕЦ()\n"));

  EXPECT_EQ(MessageOf([] { TDrovixManga m(""); }),
            Ru("В командной строке должно быть указано имя *.manga файла  для обработки!"));
  EXPECT_EQ(MessageOf([&] { TDrovixManga m(dir.Path() + "other.txt"); }),
            Ru("Файл \"") + dir.Path() + Ru("other.manga\" не существует!"));
  // A folder of the script's name is no script.
  std::filesystem::create_directory(dir.Path() + "folder.manga");
  EXPECT_EQ(MessageOf([&] { TDrovixManga m(dir.Path() + "folder"); }),
            Ru("Файл \"") + dir.Path() + Ru("folder.manga\" не существует!"));

  for (const std::string name : {"chapter", "chapter.txt", "chapter.manga"}) {
    TDrovixManga m(dir.Path() + name);
    EXPECT_EQ(m.ScriptFolder, dir.Path()) << name;
    EXPECT_EQ(m.ScriptFileName, dir.Path() + name);
    EXPECT_EQ(m.BaseFolder, dir.Path());
    EXPECT_EQ(m.BuildRecord->FileName(), dir.Path() + "chapter.ini");
    EXPECT_EQ(m.Count(), 1);  // the comment line is gone
    EXPECT_EQ(m.GetID(0), 2);
    EXPECT_TRUE(m.IsScriptHead);
  }

  // A relative name is taken from the current folder, kept as written.
  const std::string saved = std::filesystem::current_path().string();
  std::filesystem::create_directory(dir.Path() + "a");
  WriteBytes(dir.Path() + "a/chapter.manga", "KONEC()\n");
  ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
  std::string folder;
  const std::string message = MessageOf([&] {
    TDrovixManga m("./a/chapter");
    folder = m.ScriptFolder;
  });
  ASSERT_EQ(::chdir(saved.c_str()), 0);
  EXPECT_EQ(message, "");
  EXPECT_EQ(folder, dir.Path() + "./a/");
}

TEST(MangaScript, OptionsSetQuality) {
  TempFolder dir;
  WriteBytes(dir.Path() + "t.manga", "x\n");
  static const struct {
    bool draft, release;
    int32_t quality;
    int32_t smearPower;
  } cases[] = {{false, false, 0, 25}, {false, true, 1, 25}, {true, false, -1, 0}, {true, true, -1, 0}};
  for (const auto& c : cases) {
    TBuildOptions options;
    options.Draft = c.draft;
    options.Release = c.release;
    TDrovixManga m(dir.Path() + "t", options);
    EXPECT_EQ(m.Quality, c.quality);
    EXPECT_EQ(m.SmearPower, c.smearPower);
  }
}

TEST(MangaScript, Utf8ScriptIsReadAsWindows1251) {
  TempFolder dir;
  WriteBytes(dir.Path() + "u.manga", "\xEF\xBB\xBF; комментарий\n\nМАНГА(out)\n");
  TDrovixManga m(dir.Path() + "u");
  ASSERT_EQ(m.Count(), 1);
  EXPECT_EQ(m.Strings(0), Ru("МАНГА(out)"));
  EXPECT_EQ(m.GetID(0), 3);

  WriteBytes(dir.Path() + "bad.manga", "МАНГА(out)\nШРИФТ(a,b,c)\n(♥)\n");
  EXPECT_EQ(MessageOf([&] { TDrovixManga bad(dir.Path() + "bad"); }),
            Ru("Ошибка в строке 3.\n\rСкрипт сохранён в кодировке UTF-8, а символа U+2665 в "
               "кодировке Windows-1251 нет.\n\rЗамени его или сохрани скрипт в кодировке "
               "Windows-1251."));
}

// A script object and a page made from lines, for the build record tests.
class RecordTest : public ::testing::Test {
 protected:
  RecordTest() {
    WriteBytes(dir_.Path() + "t.manga", "x\n");
    manga_ = std::make_unique<TDrovixManga>(dir_.Path() + "t");
    manga_->OutputFolder = dir_.Path() + "out/";
  }
  std::unique_ptr<TDrovixMangaPage> Page(const std::vector<std::string>& lines,
                                         const std::string& name = "p01") {
    auto block = std::make_unique<TStringListWithIDs>();
    for (size_t i = 0; i < lines.size(); ++i) block->Add(Ru(lines[i]), static_cast<int32_t>(i + 1));
    auto page = std::make_unique<TDrovixMangaPage>(*manga_, manga_->ScriptFolder, name, std::move(block));
    page->Parse();
    return page;
  }
  TempFolder dir_;
  std::unique_ptr<TDrovixManga> manga_;
};

TEST_F(RecordTest, SummaryAndCleaningFingerprints) {
  manga_->Fonts[0] = std::make_unique<TFont>("/f/normal");
  manga_->Fonts[2] = std::make_unique<TFont>("/f/italic");
  manga_->SmearMethod = SCIRCULAR;

  auto bare = Page({"ДАВИТЬ_ЗЕРНО(3)", "ЗВУК((%0,0,0.7))", "ЗВУК((%1))"});
  EXPECT_EQ(TPageRecord(*manga_, *bare).Summary(),
            InputFilesAge(bare->BasePath) + "0420020021474836472147483647003%0,0,0.7,%1,0,0.7,");
  EXPECT_EQ(TPageRecord(*manga_, *bare).CleaningSummary(), Ru("КРУЖАВЧИКАМИ 25"));

  auto full = Page({"ЦВЕТНЫЕ_СКАНЫ()", "ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%5))", "ПРОЗРАЧНЫЕ_БАЛОНЫ()", "(Ха)",
                    "ФОН_БАЛОНОВ(%7)", "РАЗМЕР_ШРИФТА(20)", "(b)"});
  EXPECT_EQ(TPageRecord(*manga_, *full).Summary(),
            InputFilesAge(full->BasePath) + "0420020021474836472147483647010" + "5,40,2," + Ru("Ха%Аb%А") +
                "%0,0,0.7%0,0,0.7" + "720833" + "1.001.001.001.00" + "1" + "-17" + "1720" + "133133" +
                "/f/normal/f/italic");
  EXPECT_EQ(TPageRecord(*manga_, *full).CleaningSummary(), Ru("КРУЖАВЧИКАМИ 25 5,40,2,"));

  auto patterned = Page({"МЕТОД_ЗАМАЗКИ(узорная)", "ЦВЕТНЫЕ_СКАНЫ()", "ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%5))",
                         "ПРОЗРАЧНЫЕ_БАЛОНЫ()", "(x)"});
  EXPECT_EQ(TPageRecord(*manga_, *patterned).CleaningSummary(), Ru("УЗОРНАЯ 25 5,40,2,"));

  manga_->SmearMethod = SDRAFT;
  manga_->SmearPower = 0;
  auto draft = Page({"ЦВЕТНЫЕ_СКАНЫ()", "ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%5))", "ПРОЗРАЧНЫЕ_БАЛОНЫ()", "(x)"});
  const std::string summary = TPageRecord(*manga_, *draft).Summary();
  EXPECT_TRUE(summary.ends_with("133/f/normal/f/italic5,40,2,")) << summary;
  EXPECT_EQ(TPageRecord(*manga_, *draft).CleaningSummary(), "0 5,40,2,");
}

TEST_F(RecordTest, FingerprintsChangeExactlyWithTheirInputs) {
  const std::vector<std::string> base = {"ЗВУК((%0))", "(a)"};
  const std::string summary = TPageRecord(*manga_, *Page(base)).Summary();
  const std::string cleaning = TPageRecord(*manga_, *Page(base)).CleaningSummary();
  static const struct {
    const char* name;
    std::vector<std::string> lines;
    bool summaryChanges;
    bool cleaningChanges;
  } cases[] = {
      {"same page", {"ЗВУК((%0))", "(a)"}, false, false},
      {"balloon text", {"ЗВУК((%0))", "(b)"}, true, false},
      {"sound", {"ЗВУК((%0,1))", "(a)"}, true, false},
      {"font size", {"РАЗМЕР_ШРИФТА(18)", "ЗВУК((%0))", "(a)"}, true, false},
      {"palette", {"ГЛУБИНА_ЦВЕТА(8)", "ЗВУК((%0))", "(a)"}, true, false},
      {"scaling order", {"МАСШТАБИРОВАТЬ_ДО_ОБРАБОТКИ()", "ЗВУК((%0))", "(a)"}, true, false},
      {"loathing", {"ОТВРАЩЕНИЕ_К_СЖАТИЮ(1.5)", "ЗВУК((%0))", "(a)"}, true, false},
      {"smear method", {"МЕТОД_ЗАМАЗКИ(простая)", "ЗВУК((%0))", "(a)"}, false, true},
      {"smear power", {"КАЧЕСТВО_ЗАМАЗКИ(30)", "ЗВУК((%0))", "(a)"}, false, true},
  };
  for (const auto& c : cases) {
    auto page = Page(c.lines);
    EXPECT_EQ(TPageRecord(*manga_, *page).Summary() != summary, c.summaryChanges) << c.name;
    EXPECT_EQ(TPageRecord(*manga_, *page).CleaningSummary() != cleaning, c.cleaningChanges) << c.name;
  }
  // Without balloons the text settings do not count.
  EXPECT_EQ(TPageRecord(*manga_, *Page({"РАЗМЕР_ШРИФТА(18)", "ЗВУК((%0))"})).Summary(),
            TPageRecord(*manga_, *Page({"ЗВУК((%0))"})).Summary());
  // The letter Х in a balloon counts as the hardcore switch does.
  const std::string plain = TPageRecord(*manga_, *Page({"(a)"})).Summary();
  const std::string withX = TPageRecord(*manga_, *Page({"(Х)"})).Summary();
  manga_->HardcoreMania = true;
  EXPECT_NE(TPageRecord(*manga_, *Page({"(a)"})).Summary(), plain);
  EXPECT_EQ(TPageRecord(*manga_, *Page({"(Х)"})).Summary(), withX);
}

TEST_F(RecordTest, UpToDateTest) {
  auto page = Page({"(a)"});
  const std::string& s = page->BasePath;
  TBuildRecord& record = *manga_->BuildRecord;
  const auto state = [&] {
    const auto st = TPageRecord(*manga_, *page).State(*manga_->BuildRecord);
    return std::to_string(st.Fresh) + std::to_string(st.CleaningChanged);
  };
  EXPECT_EQ(state(), "01");  // nothing recorded

  record.WriteString(s, "Output file age", TPageRecord(*manga_, *page).OutputAge());
  record.WriteString(s, "Summary", TPageRecord(*manga_, *page).Summary());
  EXPECT_EQ(state(), "01");  // quality missing reads -1, below normal
  record.WriteInteger(s, "Quality", 0);
  EXPECT_EQ(state(), "11");
  record.WriteString(s, "SmartSmear summary", TPageRecord(*manga_, *page).CleaningSummary());
  EXPECT_EQ(state(), "10");

  manga_->Quality = 1;  // release rebuilds what a normal build made
  EXPECT_EQ(state(), "00");
  manga_->Quality = -1;  // a draft keeps it, and ignores cleaning changes
  record.WriteString(s, "SmartSmear summary", "other");
  EXPECT_EQ(state(), "10");
  manga_->Quality = 0;
  EXPECT_EQ(state(), "11");
  record.WriteString(s, "SmartSmear summary", TPageRecord(*manga_, *page).CleaningSummary());

  record.WriteString(s, "Summary", "changed");
  EXPECT_EQ(state(), "00");
  record.WriteString(s, "Summary", TPageRecord(*manga_, *page).Summary());
  record.WriteString(s, "Output file age", "12345");
  EXPECT_EQ(state(), "00");
}

TEST_F(RecordTest, OutputFilesOfPagesWithADot) {
  auto page = Page({}, "scans/p12.5");
  EXPECT_EQ(TPageRecord(*manga_, *page).OutputBase(), dir_.Path() + "out/p12.5");
  EXPECT_EQ(TPageRecord(*manga_, *page).OutputFiles(),
            (std::vector<std::string>{dir_.Path() + "out/p12.5.png", dir_.Path() + "out/p12.bmp"}));
  EXPECT_EQ(
      TPageRecord(*manga_, *page).OutputAge(),
      std::to_string(static_cast<int32_t>(static_cast<uint32_t>(FileAge(dir_.Path() + "out/p12.5.png")) +
                                          static_cast<uint32_t>(FileAge(dir_.Path() + "out/p12.bmp")))));
  EXPECT_EQ(TPageRecord(*manga_, *page).InputAge(), InputFilesAge(dir_.Path() + "scans/p12.5"));
}

}  // namespace
}  // namespace drovix

namespace drovix {
namespace {

TEST(MangaScript, HeadCommandsBetweenPagesChangeTheLaterPages) {
  TempFolder dir;
  std::filesystem::create_directories(dir.Path() + "out");
  WriteBytes(dir.Path() + "t.manga",
             Ru("МАНГА(out)\nШРИФТ(f/a, f/b, f/c)\nПРЕФИКС_ИМЕНИ_ФАЙЛА(ch1_)\n%p01((a))\n"
                "РАЗМЕР_ШРИФТА(20)\nПРЕФИКС_ИМЕНИ_ФАЙЛА()\n% p02((b))\n%p03%(\n(c))\nКОНЕЦ()"));
  TDrovixManga m(dir.Path() + "t");
  m.CheckPass();
  ASSERT_EQ(m.Pages.size(), 3u);
  EXPECT_EQ(m.Pages[0]->BasePath, dir.Path() + "ch1_p01");
  EXPECT_EQ(m.Pages[1]->BasePath, dir.Path() + "_p02");
  EXPECT_EQ(m.Pages[2]->BasePath, dir.Path() + "p03");
  for (const auto& [index, fontSize] : {std::pair{0, 17}, std::pair{1, 20}, std::pair{2, 20}}) {
    ASSERT_EQ(m.Pages[index]->Balons.size(), 1u);
    EXPECT_EQ(m.Pages[index]->Balons[0].FontSize, fontSize) << index;
  }
  EXPECT_EQ(m.OutputFolder, dir.Path() + "out/");
  EXPECT_EQ(m.Fonts[2]->FileName, dir.Path() + "f/c");
  EXPECT_FALSE(m.Fonts[3]);
}

}  // namespace
}  // namespace drovix

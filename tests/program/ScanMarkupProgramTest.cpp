// Whole-program runs on pages whose markup is found, or fails to be found:
// missing and glued balloons with the _error.bmp they leave beside the scans,
// companion markup pictures and corner marks.
#include <gtest/gtest.h>

#include <string>

#include "ProgramTestUtil.h"

namespace drovix::program_test {
namespace {

const char kNote[] =
    "\n\r\n\rНедоделаный скан с отмеченным местом ошибки был сохранён как _error.bmp\n\r"
    " (в ту папку, где лежат исходники сканов)";

class ScanMarkup : public ::testing::Test {
 protected:
  ScanMarkup() { SaveChapterBasics(dir_.Path()); }
  // One page p01 with the given page body, output as BMP.
  TRun Run(const std::string& body, const std::string& head = "") {
    WriteScript(dir_.Path() + "ch.manga",
                "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\nЗАПРЕТИТЬ_ПНГ()\n" + head + "\n%p01(\n" +
                    body + "\n)\nКОНЕЦ()\n");
    return RunDrovix(dir_.Path(), {"ch.manga"});
  }
  std::string Crash(const std::string& utf8) const {
    return Shown("Крах при сборке страницы \"" + dir_.Path() + "p01\":\n\r" + utf8);
  }
  bool Built(const TRun& run) const {
    return run.output.find("...OK.") != std::string::npos && Exists(dir_.Path() + "out/p01.bmp");
  }
  // Width, height and bits per pixel of the error page, or zeros.
  std::string ErrorPage() const {
    const std::string b = ReadBytes(dir_.Path() + "_error.bmp");
    if (b.size() < 54) return "none";
    auto u32 = [&](size_t o) {
      return static_cast<uint32_t>(static_cast<uint8_t>(b[o]) | static_cast<uint8_t>(b[o + 1]) << 8 |
                                   static_cast<uint8_t>(b[o + 2]) << 16);
    };
    return std::to_string(u32(18)) + "x" + std::to_string(u32(22)) + "x" + std::to_string(u32(28) & 255);
  }
  TempFolder dir_;
};

TEST_F(ScanMarkup, MissingBalloonsFailWithTheirNumberAndLeaveTheMarkedPage) {
  const std::string notFound =
      "Балон №%d не найден, или недостаточно красный.\n\rМинимальная яркость пикселя для разметки равна "
      "30.\n\r"
      "Проверь ещё, не соприкасаются ли балоны (программа использует метод заливки\n\r для определения "
      "нечётких "
      "краёв, и может принять балон\n\rза кайму более яркого соседа)";
  struct Case {
    const char* what;
    uint8_t secondRed;  // green and blue of the second area (the first is 255, 150, 150)
    const char* entries;
    int failing;
  };
  const Case cases[] = {
      {"two areas, three entries", 200, "(а)\n(б)\n(в)", 3},
      {"two areas of the same red are one balloon", 150, "(а)\n(б)", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TPicture page(260, 220);
    page.Rect(20, 80, 20, 200, 255, 150, 150);
    page.Rect(140, 200, 20, 200, 255, c.secondRed, c.secondRed);
    page.SaveTga(dir_.Path() + "p01");
    std::filesystem::remove(dir_.Path() + "_error.bmp");
    const TRun run = Run(c.entries);
    char number[8];
    std::snprintf(number, sizeof number, "%d", c.failing);
    std::string message = notFound;
    message.replace(message.find("%d"), 2, number);
    EXPECT_NE(run.output.find(Crash(message + kNote)), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(".sohranjaju \"_error.bmp\"...OK.\n"), std::string::npos) << run.output;
    EXPECT_EQ(ErrorPage(), "260x220x8");
    EXPECT_FALSE(Exists(dir_.Path() + "out/p01.bmp"));
  }
}

// A weak red rim of 450 x 450 pixels around a small strong patch: the fill
// nests one step per rim pixel and passes the limit of 170000.
TEST_F(ScanMarkup, GluedBalloonOverflowsTheFillAndMarksTheFilledPart) {
  TPicture page(450, 450);
  page.Rect(0, 449, 0, 449, 255, 245, 245);  // red markup 10
  page.Rect(0, 5, 0, 5, 255, 155, 155);      // red markup 100
  page.SaveTga(dir_.Path() + "p01");
  const TRun run = Run("(Привет!)");
  EXPECT_NE(run.output.find(Crash("Выход за допустимый предел при заливке балона №1 рекурсивным методом.\n\r"
                                  "Скорее всего, имеет место \"слипание\" соседних балонов." +
                                  std::string(kNote))),
            std::string::npos)
      << run.output;
  EXPECT_EQ(ErrorPage(), "450x450x8");
  // The first row was filled before the walk ran away: it carries the
  // pattern's empty row 0, white; the last row was never reached: pale.
  const std::string b = ReadBytes(dir_.Path() + "_error.bmp");
  const size_t rowSize = 452;
  ASSERT_EQ(b.size(), 1078 + rowSize * 450);
  EXPECT_EQ(static_cast<uint8_t>(b[1078 + rowSize * 449 + 100]), 255);    // row 0, stored last
  EXPECT_EQ(static_cast<uint8_t>(b[1078 + 100]), (245 - 128) / 2 + 128);  // row 449
}

TEST_F(ScanMarkup, CompanionPictureCarriesTheMarkup) {
  TPicture page(240, 240);
  page.Grey(100, 110, 20, 220, 0);
  page.SaveTga(dir_.Path() + "p01");
  TPicture markup(240, 240);
  markup.Rect(30, 90, 30, 210, 255, 100, 100);
  markup.SaveTga(dir_.Path() + "p01_");
  for (const char* head : {"", "ЦВЕТНЫЕ_СКАНЫ()"}) {
    SCOPED_TRACE(head);
    std::filesystem::remove(dir_.Path() + "out/p01.bmp");
    const TRun run = Run("(Привет!)", head);
    EXPECT_TRUE(Built(run)) << run.output;
    EXPECT_NE(run.output.find(Shown("(гружу внешнюю разметку.")), std::string::npos) << run.output;
  }
  TPicture wrong(240, 241);
  wrong.SaveTga(dir_.Path() + "p01_");
  SetFileTime(dir_.Path() + "p01_.tga", FileTime(dir_.Path() + "p01_.tga") - 3600);
  const TRun run = Run("(Привет!)", "ЦВЕТНЫЕ_СКАНЫ()");
  EXPECT_NE(
      run.output.find(Crash("Размеры картинки с разметкой \"" + dir_.Path() +
                            "p01_\" (240x241)\n\r не совпадают с размерами основной картинки, к коей оная "
                            "разметка пристёгнута\n\r (\"" +
                            dir_.Path() + "p01\", 240x240)")),
      std::string::npos)
      << run.output;
}

TEST_F(ScanMarkup, TwoCornerMarksAreNotEnough) {
  TPicture page(240, 240);
  page.Rect(2, 4, 2, 4, 0, 0, 255);
  page.Rect(2, 4, 235, 237, 0, 0, 255);
  page.SaveTga(dir_.Path() + "p01");
  const TRun run = Run("ЗВУК((%0))");
  EXPECT_NE(run.output.find(Crash("Из четырёх угловых углов должно быть размечено минимум три!\n\r"
                                  "Найдена разметка углов: левого-верхнего правого-верхнего ")),
            std::string::npos)
      << run.output;
  EXPECT_FALSE(Exists(dir_.Path() + "_error.bmp"));
}

}  // namespace
}  // namespace drovix::program_test

// Whole-program runs on runaway inputs and on folders that refuse writing: a
// balloon text of a megabyte, size tags past any page, a scan whose working
// page would be absurdly large, a read-only scan folder (the error page cannot be saved) and a
// read-only output folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "ProgramTestUtil.h"

namespace drovix::program_test {
namespace {

// Address space for one run, so that a runaway allocation fails the run
// instead of the machine; sanitizers reserve far more than this up front.
std::string MemoryLimit() {
#if defined(__SANITIZE_ADDRESS__)
  return "";
#else
  return "ulimit -v 1048576 && ";  // 1 GB
#endif
}

class Robustness : public ::testing::Test {
 protected:
  Robustness() { SaveChapterBasics(dir_.Path()); }
  ~Robustness() override {
    // The folders made read-only must be removable again.
    ::chmod(dir_.Path().c_str(), 0700);
    ::chmod((dir_.Path() + "out").c_str(), 0700);
  }
  void Script(const std::string& head, const std::string& body) {
    WriteScript(dir_.Path() + "ch.manga", "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\n" + head +
                                              "\n%p01(\n" + body + "\n)\nКОНЕЦ()\n");
  }
  std::string Crash(const std::string& shownMessage) const {
    return Shown("Крах при сборке страницы \"" + dir_.Path() + "p01\":\n\r") + shownMessage;
  }
  // A run that may not override file permissions: as root, through setpriv
  // as nobody; false when that cannot be done here. The folders are opened
  // to that user with Permit first.
  bool RunUnprivileged(TRun& run) {
    std::string prefix;
    if (::geteuid() == 0) {
      if (!Exists("/usr/bin/setpriv")) return false;
      prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    run = RunDrovix(dir_.Path(), {"ch.manga"}, prefix);
    return true;
  }
  // Writable or read-only for the unprivileged run, readable either way.
  void Permit(const std::string& folder, bool writable) {
    ::chmod(folder.c_str(), writable ? 0777 : ::geteuid() == 0 ? 0755 : 0555);
  }

  TempFolder dir_;
};

// A megabyte of text is refused by the check pass, naming the balloon and its
// line, before anything is built; a text just within the limit ends too.
TEST_F(Robustness, LongBalloonTextsEndInBoundedMemory) {
  TPicture page(300, 240);
  page.Rect(20, 120, 20, 280, 255, 150, 150);
  page.SaveTga(dir_.Path() + "p01");
  std::string megabyte;
  while (megabyte.size() < 1000000) megabyte += "word ";
  megabyte.pop_back();  // the line's trailing blank would be trimmed away
  Script("", "(Привет!)\n(" + megabyte + ")");
  TRun run = RunDrovix(dir_.Path(), {"ch.manga"}, MemoryLimit());
  const std::string refused =
      "Крах при парсинге страницы \"p01\":\n\rОшибка в строке 6.\n\rТекст балона №2 слишком "
      "длинный: " +
      std::to_string(megabyte.size() + 1) +
      " знаков, а в один балон можно вписать не больше 10000.\n\rРазбей его на несколько "
      "балонов.";
  EXPECT_NE(run.output.find(Shown(refused)), std::string::npos) << run.output.substr(0, 2000);
  EXPECT_EQ(run.output.find(Shown("СОБИРАЮ МАНГУ")), std::string::npos);

  std::string withinLimit;
  while (withinLimit.size() < 9990) withinLimit += "word ";
  Script("", "(" + withinLimit + ")");
  run = RunDrovix(dir_.Path(), {"ch.manga", "-x"}, MemoryLimit());
  EXPECT_NE(run.output.find(Shown("произошло нарушение минимального размера шрифта")), std::string::npos)
      << run.output.substr(0, 2000);
}

// A balloon text whose "%Б" tags make letters larger than any scan is a
// script error naming the balloon and its line: with 320 tags the size had
// overflowed to infinity and the fit never ended. 19 tags (letters of some
// 3900 px in a balloon of 100) are still set, after many shrinking rounds.
TEST_F(Robustness, SizeTagsBeyondAnyPageAreRefusedAndManyShrinkRoundsEnd) {
  TPicture page(300, 240);
  page.Rect(20, 120, 20, 280, 255, 150, 150);
  page.SaveTga(dir_.Path() + "p01");
  const auto bigger = [](int n) {
    std::string tags;
    for (int i = 0; i < n; ++i) tags += "%Б";
    return tags;
  };
  Script("", "(Привет!)\n(" + bigger(320) + "Привет!)");
  TRun run = RunDrovix(dir_.Path(), {"ch.manga", "-x"}, "timeout 60 ");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(
      run.output.find(Shown("Крах при парсинге страницы \"p01\":\n\rОшибка в строке 6.\n\rТекст балона №2 "
                            "увеличен тегами \"%Б\" до букв высотой больше 4100 точек, а таких больших "
                            "страниц не бывает.\n\rУбери лишние \"%Б\".")),
      std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find(Shown("СОБИРАЮ МАНГУ")), std::string::npos);

  Script("", "(" + bigger(19) + "Привет!)");
  run = RunDrovix(dir_.Path(), {"ch.manga", "-x"}, "timeout 60 ");
  EXPECT_EQ(run.status, 0) << run.output;
  // Two dots for the balloon found, one for its text, one per shrinking round.
  EXPECT_NE(run.output.find(Shown("балон") + std::string(3 + 12, '.')), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("...OK."), std::string::npos) << run.output;
  EXPECT_TRUE(Exists(dir_.Path() + "out/p01.bmp"));
}

// A scan of 1 x 4100 would become a page of 200 x 820000 by the lower width
// limit: refused before the page is made, naming the scan and both sizes.
TEST_F(Robustness, AbsurdWorkingSizeIsRefused) {
  TPicture(1, 4100).SaveTga(dir_.Path() + "p01");
  Script("", "");
  const TRun run = RunDrovix(dir_.Path(), {"ch.manga", "-x"}, MemoryLimit());
  EXPECT_NE(run.output.find(Crash(Shown("Скан \"" + dir_.Path() +
                                        "p01.tga\" размером 1 x 4100 по ограничениям размера пришлось бы "
                                        "увеличить до 200 x 820000 точек,\n\r а страницы больше 8200 x 8200 "
                                        "точек по площади не собираются - не хватит памяти."))),
            std::string::npos)
      << run.output;
  EXPECT_FALSE(Exists(dir_.Path() + "_error.bmp"));
}

// A cut run-length scan that declares 4100 x 4100 is refused at once as a
// cut file, not completed with its last (transparent) pixel and cleaned.
TEST_F(Robustness, CutRunLengthScanIsRefused) {
  std::string bytes = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x04, 0x10, 0x04, 0x10, 32, 8};
  for (int i = 0; i < 1000; ++i) bytes += std::string("\xFF\0\0\0\0", 5);
  WriteBytes(dir_.Path() + "p01.tga", bytes);
  Script("", "");
  const TRun run = RunDrovix(dir_.Path(), {"ch.manga", "-x"}, MemoryLimit());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find(Crash(
                Shown("TGA файл обрывается раньше времени. Не могу прочитать.\n\r(" + dir_.Path() + "p01)"))),
            std::string::npos)
      << run.output;
  EXPECT_FALSE(Exists(dir_.Path() + "out/p01.bmp"));
}

// A name prefix of a megabyte: the messages show the start and the end of
// the names made from it, not the megabyte again and again.
TEST_F(Robustness, RunawayNamesAreShortenedInMessages) {
  const std::string prefix(1000000, 'Q');
  Script("ПРЕФИКС_ИМЕНИ_ФАЙЛА(" + prefix + ")", "(Привет!)");
  const TRun run = RunDrovix(dir_.Path(), {"ch.manga", "-x"}, MemoryLimit());
  EXPECT_EQ(run.status, 1);
  EXPECT_LT(run.output.size(), 3000u);
  const std::string base = dir_.Path() + prefix + "p01";
  const std::string page = std::string(160, 'Q') + "..." + std::string(157, 'Q') + "p01";
  EXPECT_NE(run.output.find(Shown("\n\rСТРАНИЦА: " + page + "\n")), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(Shown("Крах при сборке страницы \"" + base.substr(0, 160) + "..." +
                                  base.substr(base.size() - 160) + "\":\n\rНет такого файла!\n\r(\"" +
                                  base.substr(0, 160) + "..." +
                                  (base + ".tga").substr(base.size() + 4 - 160) + "\")")),
            std::string::npos)
      << run.output;
}

// The error page cannot be written into a read-only scan folder: the failure
// of the page is still what is reported, with one line on the error page.
TEST_F(Robustness, ReadOnlyScanFolderKeepsTheOriginalMessage) {
  TPicture(240, 220).SaveTga(dir_.Path() + "p01");  // no red markup at all
  Script("ЗАПРЕТИТЬ_ПНГ()", "(Привет!)");
  Permit(dir_.Path(), false);
  Permit(dir_.Path() + "out", true);
  TRun run;
  if (!RunUnprivileged(run)) GTEST_SKIP() << "no way to run without the right to override permissions";
  EXPECT_NE(run.output.find(Crash(Shown("Балон №1 не найден, или недостаточно красный."))), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find(Shown("\n\r\n\rНедоделаный скан с отмеченным местом ошибки сохранить как \"" +
                                  dir_.Path() + "_error.bmp\" не удалось: нет прав на запись.")),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find(Shown("Упала процедура")), std::string::npos) << run.output;
  EXPECT_FALSE(Exists(dir_.Path() + "_error.bmp"));
}

// A page that cannot be saved into a read-only output folder is reported
// under its own name, not the temporary one, with the cause.
TEST_F(Robustness, ReadOnlyOutputFolderNamesThePageAndTheCause) {
  TPicture page(240, 220);
  page.Rect(20, 120, 20, 200, 255, 150, 150);
  page.SaveTga(dir_.Path() + "p01");
  for (const char* format : {"PNG", "BMP"}) {
    SCOPED_TRACE(format);
    const bool png = std::string(format) == "PNG";
    Script(png ? "" : "ЗАПРЕТИТЬ_ПНГ()", "(Привет!)");
    Permit(dir_.Path(), true);
    Permit(dir_.Path() + "out", false);
    TRun run;
    if (!RunUnprivileged(run)) GTEST_SKIP() << "no way to run without the right to override permissions";
    EXPECT_NE(run.output.find(
                  Crash(Shown(std::string("Упала процедура записи ") + format + " файла \"" + dir_.Path() +
                              "out/p01." + (png ? "png" : "bmp") + "\": нет прав на запись"))),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find(".part"), std::string::npos) << run.output;
  }
}

}  // namespace
}  // namespace drovix::program_test

// A balloon tag selecting a font slot that ШРИФТ() left empty is refused in
// the check pass, naming the balloon's line and the slot.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "ProgramTestUtil.h"

namespace drovix {
namespace {

using namespace program_test;

TEST(FontSlots, EmptySlotIsRefusedBeforeAnyPageIsBuilt) {
  TempFolder dir;
  const std::string d = dir.Path();
  std::filesystem::create_directories(d + "out");
  WriteScript(d + "a.manga",
              "МАНГА(out)\nШРИФТ(f0, f1, f2)\n%p(\n(Привет)\n\n(Текст %5шрифтом)\n)\nКОНЕЦ()\n");
  const TRun run = RunDrovix(d, {"a.manga"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find(Shown("Крах при парсинге страницы \"p\":\n\rОшибка в строке 6.\n\r"
                                  "Тег \"%5\" выбирает шрифт №5, а команда \"ШРИФТ()\" задала шрифты только "
                                  "с номерами от 0 до 2.")),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find(Shown("ВСЁ ПУЧКОМ!")), std::string::npos);

  // With a fourth font, slot 3 passes the check.
  WriteScript(d + "b.manga", "МАНГА(out)\nШРИФТ(f0, f1, f2, f3)\n%p(\n(Текст %3шрифтом)\n)\nКОНЕЦ()\n");
  EXPECT_NE(RunDrovix(d, {"b.manga"}).output.find(Shown("ВСЁ ПУЧКОМ!")), std::string::npos);
}

}  // namespace
}  // namespace drovix

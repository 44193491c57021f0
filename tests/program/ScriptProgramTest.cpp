// Whole-program runs of the script language: every failure of the check pass
// ends in its own message, positioned at its line, before any page is built.
#include <gtest/gtest.h>

#include <string>

#include "ProgramTestUtil.h"

namespace drovix::program_test {
namespace {

// The message as the crash report shows it: between two line breaks.
std::string Reported(const std::string& utf8) { return Shown("\n\r" + utf8 + "\n\r\n"); }

struct TCase {
  const char* name;
  const char* script;   // "{}" stands for the script's folder
  const char* message;  // likewise
};

void Expand(std::string& text, const std::string& folder) {
  for (size_t at; (at = text.find("{}")) != std::string::npos;) text.replace(at, 2, folder);
}

TEST(ScriptProgram, CheckPassErrors) {
  static const TCase cases[] = {
      {"empty output folder is the script folder", "МАНГА()\nКОНЕЦ()",
       "Ошибка в строке 1.\n\rВы чё, народ?!.. Имя выходной папки совпадает с именем "
       "входной!..\n\rТак же все исходники сканов затрутся нафиг!.."},
      {"output folder spelled another way", "МАНГА(out/..)\nКОНЕЦ()",
       "Ошибка в строке 1.\n\rВы чё, народ?!.. Имя выходной папки совпадает с именем "
       "входной!..\n\rТак же все исходники сканов затрутся нафиг!.."},
      {"missing output folder", "МАНГА(\nnope/\n)\nКОНЕЦ()",
       "Ошибка в строке 2.\n\rУказанная папка \"{}nope\" не существует, а мне её создавать в "
       "лом.\n\rТак что давай, давай, ручками.."},
      {"first command", "ШРИФТ(a,b,c)\nМАНГА(out)",
       "Синтаксическая ошибка в строке 1.\n\rОжидалось: открывающая команда \"МАНГА()\",\n\rа "
       "имеем: ШРИФТ"},
      {"second МАНГА", "МАНГА(out)\n\nманга(out)\nКОНЕЦ()",
       "Ошибка в строке 3.\n\rОткрывающая команда \"МАНГА()\" позволена только один раз, в начале "
       "файла."},
      {"page before fonts", "МАНГА(out)\n%p01(\n(a))\nКОНЕЦ()",
       "Ошибка в строке 2.\n\rУже пошли описания страниц, а команда \"ШРИФТ()\" так и не "
       "всчтретилась"},
      {"fonts after a page", "МАНГА(out)\nШРИФТ(a,b,c)\n%p01()\nШРИФТ(d,e,f)\nКОНЕЦ()",
       "Ошибка в строке 4.\n\rКоманда \"ШРИФТ()\" должна идти ДО начала описания страниц."},
      {"PNG switch after a page", "МАНГА(out)\nШРИФТ(a,b,c)\n%p01()\nЗАПРЕТИТЬ_ПНГ()\nКОНЕЦ()",
       "Ошибка в строке 4.\n\rКоманда \"ЗАПРЕТИТЬ_ПНГ()\" должна идти ДО начала описания страниц."},
      {"hardcore after a page", "МАНГА(out)\nШРИФТ(a,b,c)\n%p01()\nДЛЯ_КОНЧЕНЫХ_ОТАКУ()\nКОНЕЦ()",
       "Ошибка в строке 4.\n\rКоманда \"ДЛЯ_КОНЧЕНЫХ_ОТАКУ()\" должна идти ДО начала описания "
       "страниц."},
      {"balloon between pages", "МАНГА(out)\nШРИФТ(a,b,c)\n%p01()\n(привет)\nКОНЕЦ()",
       "Ошибка в строке 4.\n\rБалоны между страницами не допускаются.\n\r (проверь, не затесалась "
       "ли где лишняя закрывающая скобка.)"},
      {"no КОНЕЦ", "МАНГА(out)\nШРИФТ(a,b,c)\n%p01()",
       "Синтаксическая ошибка в строке 3.\n\rОжидалось: команда или имя страницы,\n\rа имеем: "
       "полный конец обеда... то есть, файла\n\rРекомендации: проверь соответствие числа "
       "открывающих и закрывающих скобок.\n\rПроверь, кончается ли текст закрывающей командой "
       "\"конец()\"."},
      {"page error wrapped with its name", "МАНГА(out)\nШРИФТ(a,b,c)\n% p01(\nЗВУК((%0)((%1)))\n)",
       "Крах при парсинге страницы \"_p01\":\n\rСинтаксическая ошибка в строке 4.\n\rОжидалось: "
       "остаток параметра контура звука, включая закрывающую скобку,\n\rа имеем: лишняя "
       "открывающая скобка"},
      {"draft and release commands together", "МАНГА(out)\nЧЕРНОВИК()\nЧИСТОВИК()\nКОНЕЦ()",
       "Ошибка в строке 3.\n\rКоманды \"ЧЕРНОВИК()\" и \"ЧИСТОВИК()\" в одной манге одновременно не "
       "допускаются. Это распространяется и на дублирующие их ключи коммандной строки \"-d\" и "
       "\"-r\"."},
      // A name prefix with a folder can lead the scans into the output folder.
      {"scan inside the output folder",
       "МАНГА(out)\nШРИФТ(a,b,c)\nПРЕФИКС_ИМЕНИ_ФАЙЛА(out/)\n%p01(\n(a)\n)\nКОНЕЦ()",
       "Ошибка в строке 5.\n\rВы чё, народ?!.. Скан страницы \"{}out/p01\" лежит в выходной "
       "папке!..\n\rТак же все исходники сканов затрутся нафиг!.."},
      {"unclosed page named from its opening line", "МАНГА(out)\nШРИФТ(a,b,c)\n%p01(\n(a)\n(b)\nКОНЕЦ()",
       "Синтаксическая ошибка где-то в строках 3..6.\n\rОжидалось: оcтатняя часть параметра команды "
       "или описания страницы,\n\r включая 1 закрывающих скобок,\n\rа имеем:  неожиданный, и даже "
       "какой-то обидный, конец файла\n\rРекомендации:  проверь соответствие числа открывающих и "
       "закрывающих скобок."},
      {"page listed twice", "МАНГА(out)\nШРИФТ(a,b,c)\n%p01(\n(a)\n)\n%p02()\n\n%p01(\n(b)\n)\nКОНЕЦ()",
       "Ошибка в строке 8.\n\rСтраница \"p01\" уже описана в строке 3!\n\rДве одинаковые страницы "
       "затирали бы друг друга и собирались бы заново при каждом запуске."},
      {"two scans, one output file",
       "МАНГА(out)\nШРИФТ(a,b,c)\nПРЕФИКС_ИМЕНИ_ФАЙЛА(a/)\n%p01()\nПРЕФИКС_ИМЕНИ_ФАЙЛА(b/)\n%p01()"
       "\nКОНЕЦ()",
       "Ошибка в строке 6.\n\rСтраница \"b/p01\" попадёт в тот же файл \"{}out/p01.png\", что и "
       "страница из строки 4!\n\rОни затирали бы друг друга и собирались бы заново при каждом "
       "запуске."},
  };
  for (const TCase& c : cases) {
    TempFolder dir;
    std::filesystem::create_directories(dir.Path() + "out");
    std::string script = c.script, message = c.message;
    Expand(script, dir.Path());
    Expand(message, dir.Path());
    WriteScript(dir.Path() + "t.manga", script);
    const TRun run = RunDrovix(dir.Path(), {"t"});
    EXPECT_NE(run.output.find(Reported(message)), std::string::npos) << c.name << "\n" << run.output;
    EXPECT_EQ(run.output.find(Shown("СОБИРАЮ")), std::string::npos) << c.name;
    EXPECT_FALSE(Exists(dir.Path() + "t.ini")) << c.name;  // nothing to record
  }
}

TEST(ScriptProgram, FolderWithBracketsAndConstructionErrors) {
  TempFolder dir;
  const std::string folder = dir.Path() + "a(b)/";
  std::filesystem::create_directories(folder + "out");
  WriteScript(folder + "t.manga", "МАНГА(out)\nКОНЕЦ()\n");
  TRun run = RunDrovix(folder, {"t.txt"});
  EXPECT_NE(run.output.find(Reported("Ошибка в строке 1.\n\rИзвиняйте, но путь к папке, в которой "
                                     "лежит манга, не должен содержать скобок.\n\rА он (\"" +
                                     folder + "\"), типа, содержит...")),
            std::string::npos)
      << run.output;

  run = RunDrovix(dir.Path(), {"missing"});
  EXPECT_NE(run.output.find(Reported("Файл \"" + dir.Path() + "missing.manga\" не существует!")),
            std::string::npos)
      << run.output;
  run = RunDrovix(dir.Path(), {""});
  EXPECT_NE(
      run.output.find(Reported("В командной строке должно быть указано имя *.manga файла  для обработки!")),
      std::string::npos)
      << run.output;
}

TEST(ScriptProgram, TextAfterTheEndIsNeverRead) {
  TempFolder dir;
  std::filesystem::create_directories(dir.Path() + "out");
  WriteScript(dir.Path() + "t.manga", "; глава\nМАНГА(out)\nКОНЕЦ(\n((( ; что угодно\n");
  const TRun run = RunDrovix(dir.Path(), {"t"});
  EXPECT_NE(run.output.find(Shown("\n\r\n\rПРОВЕРЯЮ T ..ВСЁ ПУЧКОМ! :)\n\r\n")), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find(Shown("\n\rГружу шрифты...OK.\n\r\n\n\rСОБИРАЮ МАНГУ...\n\r\n")),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadBytes(dir.Path() + "t.ini"), "");
}

TEST(ScriptProgram, Utf8ScriptsRunLikeWindows1251Ones) {
  TempFolder dir;
  std::filesystem::create_directories(dir.Path() + "out");
  // Saved as UTF-8 with a mark; the error still names the file's line.
  WriteBytes(dir.Path() + "u.manga", "\xEF\xBB\xBFМАНГА(out)\n; комментарий\nРАЗМЕР_ШРИФТА(4)\n");
  TRun run = RunDrovix(dir.Path(), {"u"});
  EXPECT_NE(run.output.find(Reported("Синтаксическая ошибка в строке 3.\n\rОжидалось: "
                                     "целочисленный параметр в диапазоне от 5 до 100,\n\rа имеем: 4")),
            std::string::npos)
      << run.output;

  WriteBytes(dir.Path() + "u.manga", "МАНГА(out)\nКОНЕЦ()\n");  // plain ASCII and UTF-8 alike
  run = RunDrovix(dir.Path(), {"u"});
  EXPECT_NE(run.output.find(Shown("ВСЁ ПУЧКОМ! :)")), std::string::npos) << run.output;

  WriteBytes(dir.Path() + "u.manga", "МАНГА(out)\nШРИФТ(a,b,c)\n%p01(\n(Привет ☺)\n)\nКОНЕЦ()\n");
  run = RunDrovix(dir.Path(), {"u"});
  EXPECT_NE(
      run.output.find(Reported("Ошибка в строке 4.\n\rСкрипт сохранён в кодировке UTF-8, а символа U+263A в "
                               "кодировке Windows-1251 нет.\n\rЗамени его или сохрани скрипт в кодировке "
                               "Windows-1251.")),
      std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find(Shown("ПРОВЕРЯЮ")), std::string::npos) << run.output;

  // One balloon pasted from a Windows-1251 file into a UTF-8 script.
  WriteBytes(dir.Path() + "u.manga",
             "МАНГА(out)\nШРИФТ(a,b,c)\n%p01(\n(Пока)\n" + Ru("(Привет!)") + "\n)\nКОНЕЦ()\n");
  run = RunDrovix(dir.Path(), {"u"});
  EXPECT_NE(run.output.find(
                Reported("Ошибка в строке 5.\n\rСкрипт сохранён в кодировке UTF-8, а эта строка - в какой-то "
                         "другой (похоже, в Windows-1251).\n\rПересохрани скрипт целиком в одной кодировке: "
                         "UTF-8 или Windows-1251.")),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find(Shown("Неизвестная команда")), std::string::npos) << run.output;
}

}  // namespace
}  // namespace drovix::program_test

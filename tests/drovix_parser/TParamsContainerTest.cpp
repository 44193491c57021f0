#include "drovix_parser/script/TParamsContainer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix {
namespace {

// A settings record with the script's and the page's parts stubbed: fonts,
// quality and textures are stored here, layer lists are echoed.
class Params : public TParamsContainer {
 public:
  explicit Params(bool head) { IsScriptHead = head; }

  std::vector<std::string> FontFiles;
  int32_t Quality = 0;
  bool Hardcore = false;
  std::vector<std::pair<std::string, std::string>> Textures;

  std::string ParseLayers(const std::string& text, int32_t mode) override {
    return "L" + std::to_string(mode) + ":" + text;
  }
  std::string ParseSoundOrTextLayers(const std::string& text, bool isSound) override {
    return ParseLayers(text, isSound ? 0 : 1);
  }
  std::string ParseBalloonText(const std::string& text) override { return text; }
  std::string ResolveTexture(const std::string& text) override {
    const std::string id = NormalizeTextureId(text);
    for (const auto& [k, v] : Textures)
      if (k == id) return v;
    return text;
  }

  // Reads and applies every command of the text (UTF-8).
  void Run(const std::string& utf8) {
    PrepareScript(Ru(utf8), "test.manga");
    Line = 0;
    Column = 1;
    while (Line < Count()) {
      const TCommand c = FindCommand(ReadName());
      ApplyCommand(c, *ReadParameterBlock());
    }
  }

 protected:
  bool HasFonts() const override { return !FontFiles.empty(); }
  void SetFont(int32_t index, const std::string& fileName) override {
    EXPECT_EQ(index, static_cast<int32_t>(FontFiles.size()));
    FontFiles.push_back(fileName);
  }
  int32_t GetQuality() const override { return Quality; }
  void SetQuality(int32_t q) override { Quality = q; }
  void DefineTexture(const std::string& id, const std::string& value) override {
    for (auto& [k, v] : Textures)
      if (k == id) {
        v = value;
        return;
      }
    Textures.emplace_back(id, value);
  }
  void SetHardcoreMania() override { Hardcore = true; }
  void ApplyPageEntry(TCommand command, const TStringListWithIDs& block) override {
    if (command == CBALON)
      Balons.emplace_back().Text = block.AsOneLine();
    else
      Sounds.push_back(block.AsOneLine());
  }
};

// Runs the text in a fresh head (or page); returns the message raised, in UTF-8.
std::string Fails(const std::string& utf8, bool head = true) {
  Params p(head);
  try {
    p.Run(utf8);
  } catch (const EDrovixError& e) {
    return Cp1251ToUtf8(e.what());
  }
  return "(nothing raised)";
}

Params Head(const std::string& utf8) {
  Params p(true);
  p.Run(utf8);
  return p;
}

TEST(FindCommand, EveryKeywordInAnyCase) {
  static const struct {
    const char* name;
    TCommand command;
  } kCases[] = {
      {"манга", CBEGIN},
      {"Конец", CEND},
      {"префикс_имени_файла", CNAMEPREFIX},
      {"шрифт", CFONT},
      {"размер_шрифта", CFONTSIZE},
      {"минимальный_размер_шрифта", CMINFONTSIZE},
      {"допустимое_сжатие_текста", CMAXFONTCOMPRESSION},
      {"звук", CSFX},
      {"мощность_очистки", CCLEANINGPOWER},
      {"текстура", CTEXTURE},
      {"глубина_цвета", CPALETTEDEPTH},
      {"запретить_пнг", CDISABLEPNG},
      {"минимальная_ширина", CMINWIDTH},
      {"максимальная_ширина", CMAXWIDTH},
      {"минимальная_высота", CMINHEIGHT},
      {"максимальная_высота", CMAXHEIGHT},
      {"снять_ограничения_по_размеру", CDONTSCALE},
      {"масштабировать_до_обработки", CSCALEBEFORE},
      {"масштабировать_после_обработки", CSCALEAFTER},
      {"для_конченых_отаку", CHARDCOREMANIA},
      {"цветные_сканы", CCOLOR},
      {"чёрно-белые_сканы", CBLACKANDWHITE},
      {"типовые_балоны", CSTDBALONS},
      {"типовые_негативные_балоны", CSTDNEGABALONS},
      {"фон_балонов", CBALONSBGR},
      {"прозрачные_балоны", CTRANSPARENTBALONSBGR},
      {"свойства_текста", CBALONSPARS},
      {"межстрочный_интервал", CLINESPACING},
      {"запретить_автопереносы", CDISABLEAUTOHYPENS},
      {"минимальная_длина_слова_для_автопереноса", CAUTOHYPENS},
      {"отвращение_к_сжатию", CCOMPRESSIONLOATHING},
      {"отвращение_к_коротким_строкам", CSHORTLINESLOATHING},
      {"отвращение_к_переносам", CTRANSITIONSLOATHING},
      {"отвращение_к_нецентровке", CDEVIATIONSLOATHING},
      {"метод_замазки", CSMEARMETOD},
      {"качество_замазки", CSMEARPOWER},
      {"замазывать_в_балонах", CSMEARINBALONS},
      {"не_замазывать_в_балонах", CDONTSMEARINBALONS},
      {"черновик", CDRAFT},
      {"давить_зерно", CKILLPATTERNS},
      {"не_давить_зерно", CDONTKILLPATTERNS},
      {"чистовик", CRELIZ},
      {"БАЛОН", CBALON},
      {"", CBALON},
  };
  Params p(true);
  for (const auto& c : kCases) EXPECT_EQ(p.FindCommand(Ru(c.name)), c.command) << c.name;
  EXPECT_EQ(Cp1251ToUtf8(CommandKeyword(CSHORTLINESLOATHING)), "ОТВРАЩЕНИЕ_К_КОРОТКИМ СТРОКАМ");
  EXPECT_EQ(CommandKeyword(CBALON), "");
}

TEST(FindCommand, UnknownNamesAreEchoedAsRead) {
  EXPECT_EQ(Fails("РАЗМЕР_ШРИФТА(12)\nшрифты(a,b,c)"),
            "Синтаксическая ошибка в строке 2.\n\rНеизвестная команда \"шрифты\".");
  // Е for Ё is another word.
  EXPECT_EQ(Fails("ЧЕРНО-БЕЛЫЕ СКАНЫ()"),
            "Синтаксическая ошибка в строке 1.\n\rНеизвестная команда \"ЧЕРНО-БЕЛЫЕ_СКАНЫ\".");
}

TEST(FindCommand, ShortLinesLoathingWithBlankOrUnderscore) {
  EXPECT_EQ(Head("ОТВРАЩЕНИЕ_К_КОРОТКИМ СТРОКАМ(2)").ShortLinesLoathing, 2.0f);
  EXPECT_EQ(Head("отвращение к коротким_строкам(3)").ShortLinesLoathing, 3.0f);
}

TEST(Values, Colours) {
  EXPECT_EQ(Head("ФОН_БАЛОНОВ(%128)").BalonBackground, 128);
  EXPECT_EQ(Head("ФОН_БАЛОНОВ(%255%0%0)").BalonBackground, 33488896);
  EXPECT_EQ(Head("ФОН_БАЛОНОВ(x %0 % 0 %\n1)").BalonBackground, 16777217);
  EXPECT_EQ(Head("ФОН_БАЛОНОВ(%0)").BalonBackground, 0);
  const std::string expected =
      "Ожидалось: целочисленный параметр со значением от 0 до 255, или три целочисленных "
      "параметра от 0 до 255, разделённых '%'-ми,\n\rа имеем: ";
  for (const char* bad : {"128", "%256", "%-1", "%1%2", "%1%%3", "%a", "%1.5", ""})
    EXPECT_EQ(Fails(std::string("ФОН_БАЛОНОВ(") + bad + ")"),
              "Синтаксическая ошибка в строке 1.\n\r" + expected + bad)
        << bad;
  EXPECT_EQ(Head("ТИПОВЫЕ_БАЛОНЫ()").BalonsPars, "%0,0,0.7");
  Params p = Head("ПРОЗРАЧНЫЕ_БАЛОНЫ(ignored)\nСВОЙСТВА_ТЕКСТА((%0,1)\n(%255,2))");
  EXPECT_EQ(p.BalonBackground, -1);
  EXPECT_EQ(p.BalonsPars, "L1:(%0,1) (%255,2)");
  p.Run("ТИПОВЫЕ_БАЛОНЫ()");
  EXPECT_EQ(p.BalonBackground, 255);
  EXPECT_EQ(p.BalonsPars, "%0,0,0.7");
}

TEST(Values, IntegersWithTheirRanges) {
  static const struct {
    const char* script;
    int32_t Params::*field;
    int32_t value;
  } kAccepted[] = {
      {"РАЗМЕР_ШРИФТА(5)", &Params::FontSize, 5},
      {"РАЗМЕР_ШРИФТА( %100%\n)", &Params::FontSize, 100},
      {"РАЗМЕР_ШРИФТА(+20)", &Params::FontSize, 20},
      {"МИНИМАЛЬНЫЙ_РАЗМЕР_ШРИФТА(9)", &Params::MinFontSize, 9},
      {"ДОПУСТИМОЕ_СЖАТИЕ_ТЕКСТА(0)", &Params::MaxFontCompression, 0},
      {"МОЩНОСТЬ_ОЧИСТКИ(100)", &Params::CleaningPower, 100},
      {"ГЛУБИНА_ЦВЕТА(8)", &Params::PaletteDepth, 8},
      {"ГЛУБИНА_ЦВЕТА(2)", &Params::PaletteDepth, 2},
      {"МИНИМАЛЬНАЯ_ШИРИНА(4100)", &Params::MinWidth, 4100},
      {"МАКСИМАЛЬНАЯ_ВЫСОТА(200)", &Params::MaxHeight, 200},
      {"МИНИМАЛЬНАЯ_ДЛИНА_СЛОВА_ДЛЯ_АВТОПЕРЕНОСА(2147483647)", &Params::MinHyphenWordLength, 2147483647},
      {"ЗАПРЕТИТЬ_АВТОПЕРЕНОСЫ()", &Params::MinHyphenWordLength, 2147483647},
      {"КАЧЕСТВО_ЗАМАЗКИ(1)", &Params::SmearPower, 1},
      {"ДАВИТЬ_ЗЕРНО(5)", &Params::KillPatterns, 5},
      {"ДАВИТЬ_ЗЕРНО(3)\nНЕ_ДАВИТЬ_ЗЕРНО()", &Params::KillPatterns, 0},
      {"МАСШТАБИРОВАТЬ_ДО_ОБРАБОТКИ()", &Params::ScaleBefore, 1},
      {"МАСШТАБИРОВАТЬ_ДО_ОБРАБОТКИ()МАСШТАБИРОВАТЬ_ПОСЛЕ_ОБРАБОТКИ()", &Params::ScaleBefore, 0},
      {"ЦВЕТНЫЕ_СКАНЫ()", &Params::ColorScans, 1},
      {"ЦВЕТНЫЕ_СКАНЫ()ЧЁРНО-БЕЛЫЕ_СКАНЫ()", &Params::ColorScans, 0},
  };
  for (const auto& c : kAccepted) EXPECT_EQ(Head(c.script).*c.field, c.value) << c.script;

  static const struct {
    const char* script;
    const char* message;
  } kRefused[] = {
      {"РАЗМЕР_ШРИФТА(4)", "целочисленный параметр в диапазоне от 5 до 100,\n\rа имеем: 4"},
      {"РАЗМЕР_ШРИФТА(12.0)", "целочисленный параметр в диапазоне от 5 до 100,\n\rа имеем: 12.0"},
      {"РАЗМЕР_ШРИФТА(1e1)", "целочисленный параметр в диапазоне от 5 до 100,\n\rа имеем: 1e1"},
      {"РАЗМЕР_ШРИФТА(0x10)", "целочисленный параметр в диапазоне от 5 до 100,\n\rа имеем: 0x10"},
      {"РАЗМЕР_ШРИФТА(1 2)", "целочисленный параметр в диапазоне от 5 до 100,\n\rа имеем: 1 2"},
      {"РАЗМЕР_ШРИФТА()", "целочисленный параметр в диапазоне от 5 до 100,\n\rа имеем: "},
      {"ДОПУСТИМОЕ_СЖАТИЕ_ТЕКСТА(71)", "целочисленный параметр в диапазоне от 0 до 70,\n\rа имеем: 71"},
      {"МИНИМАЛЬНАЯ_ДЛИНА_СЛОВА_ДЛЯ_АВТОПЕРЕНОСА(2147483648)",
       "целочисленный параметр в диапазоне от 3 до 2147483647,\n\rа имеем: 2147483648"},
      {"МИНИМАЛЬНАЯ_ШИРИНА(99999999999999999999999)",
       "целочисленный параметр в диапазоне от 200 до 4100,\n\rа имеем: 99999999999999999999999"},
      {"КАЧЕСТВО_ЗАМАЗКИ(0)", "целочисленный параметр в диапазоне от 1 до 100,\n\rа имеем: 0"},
      {"ДАВИТЬ_ЗЕРНО(1)", "целочисленный параметр в диапазоне от 2 до 5,\n\rа имеем: 1"},
      {"ГЛУБИНА_ЦВЕТА(3)", "целочисленный параметр со значением 2, 4 или 8,\n\rа имеем: 3"},
      {"ГЛУБИНА_ЦВЕТА(16)", "целочисленный параметр со значением 2, 4 или 8,\n\rа имеем: 16"},
      {"ГЛУБИНА_ЦВЕТА(%)", "целочисленный параметр со значением 2, 4 или 8,\n\rа имеем: "},
  };
  for (const auto& c : kRefused)
    EXPECT_EQ(Fails(c.script), std::string("Синтаксическая ошибка в строке 1.\n\rОжидалось: ") + c.message)
        << c.script;
}

TEST(Values, NumbersWithTolerance) {
  EXPECT_EQ(Head("МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ(5.0005)").LineSpacing, 5.0005f);
  EXPECT_EQ(Head("МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ(0.4991)").LineSpacing, 0.4991f);
  EXPECT_EQ(Head("МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ(%1.5)").LineSpacing, 1.5f);
  EXPECT_EQ(Head("МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ(.75)").LineSpacing, 0.75f);
  EXPECT_EQ(Head("ОТВРАЩЕНИЕ_К_СЖАТИЮ(0)").CompressionLoathing, 0.0f);
  EXPECT_EQ(Head("ОТВРАЩЕНИЕ_К_ПЕРЕНОСАМ(1e1)").TransitionsLoathing, 10.0f);
  EXPECT_EQ(Head("ОТВРАЩЕНИЕ_К_НЕЦЕНТРОВКЕ(-0.0005)").DeviationsLoathing, -0.0005f);
  EXPECT_EQ(Head("ОТВРАЩЕНИЕ_К_НЕЦЕНТРОВКЕ(2.5)").DeviationsLoathing, 2.5f);
  for (const char* bad : {"5.002", "0.498", "1,5", "nan", "inf", "0x1", "", "1..2", "-"})
    EXPECT_EQ(Fails(std::string("МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ(") + bad + ")"),
              std::string("Синтаксическая ошибка в строке 1.\n\rОжидалось: число в диапазоне от "
                          "0.50 до 5.00,\n\rа имеем: ") +
                  bad)
        << bad;
  EXPECT_EQ(Fails("ОТВРАЩЕНИЕ_К_СЖАТИЮ(\n10.01\n)"),
            "Синтаксическая ошибка в строке 2.\n\rОжидалось: число в диапазоне от 0.00 до 10.00,\n\r"
            "а имеем: 10.01");
}

TEST(Values, SmearMethods) {
  EXPECT_EQ(Params(true).SmearMethod, STRICKY);
  EXPECT_EQ(Head("МЕТОД_ЗАМАЗКИ(хитрая)").SmearMethod, STRICKY);
  EXPECT_EQ(Head("МЕТОД_ЗАМАЗКИ()").SmearMethod, SDRAFT);
  EXPECT_EQ(Head("МЕТОД_ЗАМАЗКИ( Простая )").SmearMethod, SSIMPLE);
  EXPECT_EQ(Head("МЕТОД_ЗАМАЗКИ(жёсткая)").SmearMethod, SHARD);
  EXPECT_EQ(Head("МЕТОД_ЗАМАЗКИ(кружавчиками)").SmearMethod, SCIRCULAR);
  EXPECT_EQ(Head("МЕТОД_ЗАМАЗКИ(улучшенная)").SmearMethod, SSMARTER);
  EXPECT_EQ(Head("МЕТОД_ЗАМАЗКИ( Узорная )").SmearMethod, SPATTERN);
  EXPECT_EQ(Fails("МЕТОД_ЗАМАЗКИ(ёлочкой)"),
            "Синтаксическая ошибка в строке 1.\n\rНеизвестный метод замазки \"ЁЛОЧКОЙ\".");
  EXPECT_EQ(Fails("МЕТОД_ЗАМАЗКИ(жесткая)"),
            "Синтаксическая ошибка в строке 1.\n\rНеизвестный метод замазки \"ЖЕСТКАЯ\".");
  static const char* const kNames[] = {"",       "ПРОСТАЯ", "ЖЁСТКАЯ", "КРУЖАВЧИКАМИ", "УЛУЧШЕННАЯ",
                                       "ХИТРАЯ", "",        "",        "УЗОРНАЯ"};
  for (int m = SDRAFT; m <= SPATTERN; ++m)
    EXPECT_EQ(Cp1251ToUtf8(SmearMethodName(static_cast<TSmear>(m))), kNames[m]) << m;
}

TEST(Values, SmearPowerIsIgnoredInDrafts) {
  Params p = Head("ЧЕРНОВИК()\nКАЧЕСТВО_ЗАМАЗКИ(500)");
  EXPECT_EQ(p.Quality, -1);
  EXPECT_EQ(p.SmearPower, 0);
  Params q(true);
  q.SmearPower = 0;  // as the key -d leaves it
  q.Run("КАЧЕСТВО_ЗАМАЗКИ(500)");
  EXPECT_EQ(q.SmearPower, 0);
  EXPECT_EQ(Head("КАЧЕСТВО_ЗАМАЗКИ(77)").SmearPower, 77);
}

TEST(Values, SizeLimitConflicts) {
  EXPECT_EQ(Fails("МИНИМАЛЬНАЯ_ШИРИНА(400)\nМАКСИМАЛЬНАЯ_ШИРИНА(300)"),
            "Ошибка в строке 2.\n\rЗаданное значение максимальной ширины (300) больше ранее "
            "заданного значения минимальной ширины (400)!");
  EXPECT_EQ(Fails("МАКСИМАЛЬНАЯ_ШИРИНА(300)\nМИНИМАЛЬНАЯ_ШИРИНА(\n400\n)"),
            "Ошибка в строке 3.\n\rЗаданное значение минимальной ширины (400) больше ранее "
            "заданного значения максимальной ширины (300)!");
  EXPECT_EQ(Fails("МИНИМАЛЬНАЯ_ВЫСОТА(4000)\nМАКСИМАЛЬНАЯ_ВЫСОТА(3999)"),
            "Ошибка в строке 2.\n\rЗаданное значение максимальной высоты (3999) больше ранее "
            "заданного значения минимальной высоты (4000)!");
  EXPECT_EQ(Fails("МАКСИМАЛЬНАЯ_ВЫСОТА(300)\nМИНИМАЛЬНАЯ_ВЫСОТА(301)"),
            "Ошибка в строке 2.\n\rЗаданное значение минимальной высоты (301) больше ранее "
            "заданного значения максимальной высоты (300)!");
  Params p = Head("МАКСИМАЛЬНАЯ_ШИРИНА(300)\nМИНИМАЛЬНАЯ_ШИРИНА(300)\nМАКСИМАЛЬНАЯ_ВЫСОТА(500)");
  EXPECT_EQ(p.MinWidth, 300);
  p.Run("СНЯТЬ_ОГРАНИЧЕНИЯ_ПО_РАЗМЕРУ()\nМИНИМАЛЬНАЯ_ВЫСОТА(4100)");
  EXPECT_EQ(p.MaxWidth, 2147483647);
  EXPECT_EQ(p.MinWidth, 200);
  EXPECT_EQ(p.MaxHeight, 2147483647);
  EXPECT_EQ(p.MinHeight, 4100);
}

TEST(Commands, HeadAndPagePlaces) {
  EXPECT_EQ(Fails("ТИПОВЫЕ_НЕГАТИВНЫЕ_БАЛОНЫ()"),
            "Ошибка в строке 1.\n\rКоманда \"ТИПОВЫЕ_НЕГАТИВНЫЕ_БАЛОНЫ()\" может применяться "
            "только внутри описания страницы!");
  EXPECT_EQ(Fails("ТИПОВЫЕ_НЕГАТИВНЫЕ_БАЛОНЫ()", false),
            "Ошибка в строке 1.\n\rКоманда \"ТИПОВЫЕ_НЕГАТИВНЫЕ_БАЛОНЫ()\" не допускается внутри "
            "описания страницы!");
  EXPECT_EQ(Fails("ЗВУК((%0))"),
            "Ошибка в строке 1.\n\rКоманда \"ЗВУК()\" может применяться только внутри описания "
            "страницы!");
  for (const char* headOnly : {"МАНГА", "КОНЕЦ", "ПРЕФИКС_ИМЕНИ_ФАЙЛА", "ШРИФТ", "МИНИМАЛЬНЫЙ_РАЗМЕР_ШРИФТА",
                               "ТЕКСТУРА", "ЗАПРЕТИТЬ_ПНГ", "ДЛЯ_КОНЧЕНЫХ_ОТАКУ", "ЧЕРНОВИК", "ЧИСТОВИК"})
    EXPECT_EQ(Fails(std::string("\n") + headOnly + "(x)", false),
              std::string("Ошибка в строке 2.\n\rКоманда \"") + headOnly +
                  "()\" не допускается внутри описания страницы!")
        << headOnly;
  Params page(false);
  page.Run("ДОПУСТИМОЕ_СЖАТИЕ_ТЕКСТА(10)МОЩНОСТЬ_ОЧИСТКИ(5)ГЛУБИНА_ЦВЕТА(2)СВОЙСТВА_ТЕКСТА(x)");
  EXPECT_EQ(page.MaxFontCompression, 10);
  EXPECT_EQ(page.CleaningPower, 5);
  EXPECT_EQ(page.PaletteDepth, 2);
}

TEST(Commands, OncePerPageAndBeforeBalloons) {
  EXPECT_EQ(Fails("ДАВИТЬ_ЗЕРНО(3)\nДАВИТЬ_ЗЕРНО(4)", false),
            "Ошибка в строке 2.\n\rКоманда \"ДАВИТЬ_ЗЕРНО()\" уже была задана для этой страницы!");
  EXPECT_EQ(Fails("БАЛОН(Привет!)\nДАВИТЬ_ЗЕРНО(3)", false),
            "Ошибка в строке 2.\n\rКоманда \"ДАВИТЬ_ЗЕРНО()\" должна стоять ДО описания балонов и "
            "звуков!");
  EXPECT_EQ(Fails("ЗВУК((%0))\nНЕ_ДАВИТЬ_ЗЕРНО()\n(a)", false),
            "Ошибка в строке 2.\n\rКоманда \"НЕ_ДАВИТЬ_ЗЕРНО()\" должна стоять ДО описания балонов "
            "и звуков!");
  // The repeat check comes first.
  EXPECT_EQ(Fails("ГЛУБИНА_ЦВЕТА(2)\n(a)\nГЛУБИНА_ЦВЕТА(4)", false),
            "Ошибка в строке 3.\n\rКоманда \"ГЛУБИНА_ЦВЕТА()\" уже была задана для этой страницы!");
  EXPECT_EQ(Fails("БАЛОН(a)\nЗВУК((%0))", false),
            "Ошибка в строке 2.\n\rВсе звуки должны быть описаны ДО балонов!");
  // A value error of a refused repeat is not reached; the rule error comes first.
  EXPECT_EQ(Fails("ДАВИТЬ_ЗЕРНО(3)\nДАВИТЬ_ЗЕРНО(99)", false),
            "Ошибка в строке 2.\n\rКоманда \"ДАВИТЬ_ЗЕРНО()\" уже была задана для этой страницы!");

  Params page(false);
  page.Run(
      "ЦВЕТНЫЕ_СКАНЫ()ЧЁРНО-БЕЛЫЕ_СКАНЫ()\nЗВУК((%0))ЗВУК((%1))\n(один)\nРАЗМЕР_ШРИФТА(20)\n"
      "ФОН_БАЛОНОВ(%7)ТИПОВЫЕ_БАЛОНЫ()ПРОЗРАЧНЫЕ_БАЛОНЫ()СВОЙСТВА_ТЕКСТА(x)МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ(2)"
      "ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%1))НЕ_ЗАМАЗЫВАТЬ_В_БАЛОНАХ()РАЗМЕР_ШРИФТА(21)\nБАЛОН(два)");
  EXPECT_EQ(page.ColorScans, 0);
  EXPECT_EQ(page.FontSize, 21);
  EXPECT_EQ(page.Sounds, (std::vector<std::string>{"(%0)", "(%1)"}));
  ASSERT_EQ(page.Balons.size(), 2u);
  EXPECT_EQ(page.Balons[0].Text, Ru("один"));
  EXPECT_EQ(page.Balons[1].Text, Ru("два"));
  // The head counts nothing: a later command overrides an earlier one.
  EXPECT_EQ(Head("ДАВИТЬ_ЗЕРНО(3)ДАВИТЬ_ЗЕРНО(4)").KillPatterns, 4);
}

TEST(Commands, FlagsIgnoreTheirBlockAndPrefixTakesIt) {
  Params p = Head(
      "ЦВЕТНЫЕ_СКАНЫ(что угодно 123)\nПРЕФИКС_ИМЕНИ_ФАЙЛА(  scans/\nch1_ )\n"
      "ДЛЯ_КОНЧЕНЫХ_ОТАКУ(x)");
  EXPECT_EQ(p.ColorScans, 1);
  EXPECT_EQ(p.NamePrefix, "scans/ ch1_");
  EXPECT_TRUE(p.Hardcore);
  EXPECT_EQ(Head("ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%255))").SmearInBalons, "L2:(%255)");
  EXPECT_EQ(Head("ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%255))НЕ_ЗАМАЗЫВАТЬ_В_БАЛОНАХ()").SmearInBalons, "");
  // The switch is for the whole process: try it in a child.
  EXPECT_EXIT(
      {
        if (PngDisabled()) std::exit(2);
        Head("ЗАПРЕТИТЬ_ПНГ()");
        std::exit(PngDisabled() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(Commands, DraftAndRelease) {
  const std::string conflict =
      "Команды \"ЧЕРНОВИК()\" и \"ЧИСТОВИК()\" в одной манге одновременно не допускаются. Это "
      "распространяется и на дублирующие их ключи коммандной строки \"-d\" и \"-r\".";
  EXPECT_EQ(Fails("ЧИСТОВИК()\nЧЕРНОВИК()"), "Ошибка в строке 2.\n\r" + conflict);
  EXPECT_EQ(Fails("ЧЕРНОВИК()\nЧИСТОВИК()"), "Ошибка в строке 2.\n\r" + conflict);
  Params keyR(true);
  keyR.Quality = 1;  // as the key -r leaves it
  EXPECT_THROW(keyR.Run("ЧЕРНОВИК()"), EDrovixError);
  EXPECT_EQ(Head("ЧИСТОВИК()ЧИСТОВИК()").Quality, 1);
  Params p = Head("ЧЕРНОВИК()ЧЕРНОВИК()");
  EXPECT_EQ(p.Quality, -1);
  EXPECT_EQ(p.SmearPower, 0);
}

TEST(Commands, Fonts) {
  Params p(true);
  p.BaseFolder = "/m/";
  p.Run("ШРИФТ(fonts/normal, fonts/bold,\nfonts/italic, extra face)");
  EXPECT_EQ(p.FontFiles, (std::vector<std::string>{"/m/fonts/normal", "/m/fonts/bold", "/m/fonts/italic",
                                                   "/m/extra face"}));
  EXPECT_EQ(Fails("ШРИФТ(a,b,c)\nШРИФТ(d,e,f)"),
            "Ошибка в строке 2.\n\rКоманда \"ШРИФТ()\" даётся ОДИН раз! И этот раз уже был.");
  const std::string tooFew =
      "Ошибка в строке 1.\n\rУ команды ШРИФТ() должно быть минимум три параметра: имена файлов "
      "для нормального, жирного и курсива.";
  EXPECT_EQ(Fails("ШРИФТ(a,b)"), tooFew);
  EXPECT_EQ(Fails("ШРИФТ(a,,b,c)"), tooFew);  // the list ends at the first empty field
  EXPECT_EQ(Fails("ШРИФТ()"), tooFew);
  EXPECT_EQ(Head("ШРИФТ(0,1,2,3,4,5,6,7,8,9)").FontFiles.size(), 10u);
  EXPECT_EQ(Fails("ШРИФТ(0,1,2,3,4,5,6,7,8,9,10)"),
            "Ошибка в строке 1.\n\rРазрешается не более десяти шрифтов!");
}

TEST(Commands, Textures) {
  Params p = Head("ТЕКСТУРА(кожа, %200)\nФОН_БАЛОНОВ(Кожа)\nТЕКСТУРА( серая  \n кожа_ ,%1%2%3)");
  EXPECT_EQ(p.BalonBackground, 200);
  EXPECT_EQ(p.Textures, (std::vector<std::pair<std::string, std::string>>{{Ru("КОЖА"), "%200"},
                                                                          {Ru("СЕРАЯ_КОЖА"), "%1%2%3"}}));
  p.Run("ТЕКСТУРА(КОЖА, pics/skin, ignored)\nТЕКСТУРА(скала, pics/rock)");
  EXPECT_EQ(p.Textures.size(), 3u);
  EXPECT_EQ(p.Textures[0].second, "pics/skin");
  EXPECT_EQ(p.ResolveTexture(Ru("серая кожа")), "%1%2%3");
  EXPECT_EQ(Fails("ТЕКСТУРА(кожа, pics/skin)\nФОН_БАЛОНОВ(кожа)"),
            "Синтаксическая ошибка в строке 2.\n\rОжидалось: целочисленный параметр со значением "
            "от 0 до 255, или три целочисленных параметра от 0 до 255, разделённых '%'-ми,\n\r"
            "а имеем: pics/skin");
  const std::string format =
      "Синтаксическая ошибка в строке 1.\n\rОжидалось: Команда в формате \"ТЕКСТУРА( "
      "<идентификатор>, <имя файла | %яркость>)\",\n\rа имеем: \"ТЕКСТУРА ( ";
  EXPECT_EQ(Fails("ТЕКСТУРА(кожа)"), format + "кожа)\"");
  EXPECT_EQ(Fails("ТЕКСТУРА(, %1)"), format + ", %1)\"");
  EXPECT_EQ(Fails("ТЕКСТУРА( _ , %1)"), format + "_ , %1)\"");
  EXPECT_EQ(Fails("ТЕКСТУРА(ко%жа, %1)"),
            "Синтаксическая ошибка в строке 1.\n\rСимвол процента в имени текстуры НЕ "
            "ДОПУСКАЕТСЯ.\n\rНи под каким соусом.");
  EXPECT_EQ(Fails("ТЕКСТУРА(кожа, %300)"),
            "Синтаксическая ошибка в строке 1.\n\rОжидалось: целочисленный параметр со значением "
            "от 0 до 255, или три целочисленных параметра от 0 до 255, разделённых '%'-ми,\n\r"
            "а имеем: %300");
}

TEST(Commands, TextureIdentifiers) {
  static const struct {
    const char* text;
    const char* id;
  } kCases[] = {
      {"кожа", "КОЖА"},
      {"  серая   кожа ", "СЕРАЯ_КОЖА"},
      {"__a__b__", "A_B"},
      {"a\r\n_ b", "A_B"},
      {"ёлка", "ЁЛКА"},
      {"_", ""},
      {"", ""},
      {"a-b", "A-B"},
  };
  for (const auto& c : kCases) EXPECT_EQ(NormalizeTextureId(Ru(c.text)), Ru(c.id)) << c.text;
}

TEST(Commands, BeginAndEndAreTheRunsBusiness) {
  EXPECT_EQ(Fails("МАНГА(out)"),
            "Ошибка в строке 1.\n\rОткрывающая команда \"МАНГА()\" позволена только один раз, в "
            "начале файла.");
  EXPECT_EQ(Fails("КОНЕЦ()"), "(nothing raised)");
}

}  // namespace
}  // namespace drovix

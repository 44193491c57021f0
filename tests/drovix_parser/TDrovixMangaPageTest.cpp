#include "drovix_parser/script/TDrovixMangaPage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MangaTestUtil.h"
#include "driver/console/Cp1251.h"
#include "drovix_parser/script/TDrovixManga.h"

namespace drovix {
namespace {

using testing::MessageOf;
using testing::TempFolder;
using testing::WriteBytes;

// One field of every balloon of a page, in script order.
template <class T>
std::vector<T> Each(const std::vector<TBalonEntry>& balons, T TBalonEntry::*field) {
  std::vector<T> values;
  for (const TBalonEntry& b : balons) values.push_back(b.*field);
  return values;
}

// A script object over a minimal script, with a colour texture and a
// picture texture defined, for pages made directly from their lines.
class PageTest : public ::testing::Test {
 protected:
  PageTest() {
    WriteBytes(dir_.Path() + "t.manga", "KONEC()\n");
    manga_ = std::make_unique<TDrovixManga>(dir_.Path() + "t.manga");
    manga_->TextureIds = {Ru("СЕРЫЙ"), Ru("ШТРИХОВКА")};
    manga_->TextureValues = {"%160", "textures/hatch"};
    // Balloon texts may select any font slot; none is read here.
    for (auto& font : manga_->Fonts) font = std::make_unique<TFont>("font");
  }

  // A page named p01 whose block holds the lines (UTF-8), numbered from 10.
  std::unique_ptr<TDrovixMangaPage> Page(const std::vector<std::string>& lines) {
    auto block = std::make_unique<TStringListWithIDs>();
    for (size_t i = 0; i < lines.size(); ++i) block->Add(Ru(lines[i]), static_cast<int32_t>(10 + i));
    return std::make_unique<TDrovixMangaPage>(*manga_, manga_->ScriptFolder, "scans/p01", std::move(block));
  }
  // The message of parsing the page ("" when it parses).
  std::string ParseError(const std::vector<std::string>& lines) {
    auto page = Page(lines);
    return MessageOf([&] { page->Parse(); });
  }
  static std::string Wrapped(const std::string& utf8) {
    return Ru("Крах при парсинге страницы \"p01\":\n\r" + utf8);
  }

  TempFolder dir_;
  std::unique_ptr<TDrovixManga> manga_;
};

TEST_F(PageTest, CopiesTheHeadSettingsAsTheyStand) {
  manga_->FontSize = 30;
  manga_->SmearMethod = SSIMPLE;
  manga_->BalonsPars = "%255,1,1,";
  manga_->LineSpacing = 2.0f;
  manga_->NamePrefix = "ch1_";
  auto page = Page({});
  manga_->FontSize = 40;  // later head changes do not reach the page
  EXPECT_EQ(page->FontSize, 30);
  EXPECT_EQ(page->SmearMethod, SSIMPLE);
  EXPECT_EQ(page->BalonsPars, "%255,1,1,");
  EXPECT_EQ(page->LineSpacing, 2.0f);
  EXPECT_EQ(page->NamePrefix, "");
  EXPECT_EQ(page->BasePath, manga_->ScriptFolder + "scans/p01");
  EXPECT_FALSE(page->IsScriptHead);
}

TEST_F(PageTest, SoundsAndBalloonsWithTheSettingsOfTheirMoment) {
  auto page = Page({"ЗВУК((%0,0,0.7)) (Привет, \"друг\"!)", "РАЗМЕР_ШРИФТА(20)", "ФОН_БАЛОНОВ(%255%0%0)",
                    "МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ(0.625)", "(Раз", "два)", "СВОЙСТВА_ТЕКСТА((%0,0,0.7)(%255,3,1))",
                    "МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ(0.875)", "()"});
  page->Parse();
  EXPECT_EQ(page->Sounds, std::vector<std::string>{"%0,0,0.7,"});
  EXPECT_EQ(Each(page->Balons, &TBalonEntry::Text),
            (std::vector<std::string>{Ru("Привет, \"друг\"!%А"), Ru("Раз%Адва%А"), ""}));
  EXPECT_EQ(Each(page->Balons, &TBalonEntry::FontSize), (std::vector<int32_t>{17, 20, 20}));
  EXPECT_EQ(Each(page->Balons, &TBalonEntry::Background), (std::vector<int32_t>{255, 33488896, 33488896}));
  // LineSpacing x 100 rounded half to even: 1.33 -> 133, 62.5 -> 62, 87.5 -> 88.
  EXPECT_EQ(Each(page->Balons, &TBalonEntry::LineSpacing), (std::vector<int32_t>{133, 62, 88}));
  EXPECT_EQ(Each(page->Balons, &TBalonEntry::Pars),
            (std::vector<std::string>{"%0,0,0.7", "%0,0,0.7", "%0,0,0.7,%255,3,1,"}));
  EXPECT_EQ(Each(page->Balons, &TBalonEntry::Smear), (std::vector<std::string>{"", "", ""}));
}

TEST_F(PageTest, BalloonCleaningOnlyForTransparentBalloonsOfColourPages) {
  auto colour = Page({"ЦВЕТНЫЕ_СКАНЫ()", "ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%255)(серый,10,0))", "(a)",
                      "ПРОЗРАЧНЫЕ_БАЛОНЫ()", "(b)", "НЕ_ЗАМАЗЫВАТЬ_В_БАЛОНАХ()", "(c)"});
  colour->Parse();
  EXPECT_EQ(Each(colour->Balons, &TBalonEntry::Smear),
            (std::vector<std::string>{"", "255,40,2,160,10,0,", ""}));
  EXPECT_EQ(Each(colour->Balons, &TBalonEntry::Background), (std::vector<int32_t>{255, -1, -1}));

  auto grey = Page({"ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%255))", "ПРОЗРАЧНЫЕ_БАЛОНЫ()", "(b)"});
  grey->Parse();
  EXPECT_EQ(Each(grey->Balons, &TBalonEntry::Smear), std::vector<std::string>{""});
  EXPECT_EQ(grey->SmearInBalons, "255,40,2,");
}

TEST_F(PageTest, LayerListsAreNormalized) {
  static const struct {
    const char* command;
    const char* expected;
  } cases[] = {
      {"ЗВУК((%0,-2)(%255,3))", "%0,-2,0.7,%255,3,0.7,"},
      {"ЗВУК((%0)(%255))", "%0,0,0.7,%255,1,0.7,"},
      {"ЗВУК(без скобок)", "%0,0,0.7,"},
      {"ЗВУК(( , ,)(,,))", "%0,0,0.7,%0,1,0.7,"},
      {"ЗВУК((%255%0%0, 2.5, 0)(серый, 1, 20.0005))", "%33488896,2.5,0,%160,1,20.0005,"},
      {"ЗВУК((штриховка)(Штриховка,1))", "textures/hatch,0,0.7,textures/hatch,1,0.7,"},
      {"ЗВУК((неизвестная)\n(%0,1))", "неизвестная,0,0.7,%0,1,0.7,"},
  };
  for (const auto& c : cases) {
    auto page = Page({c.command});
    page->Parse();
    ASSERT_EQ(page->Sounds.size(), 1u) << c.command;
    EXPECT_EQ(page->Sounds[0], Ru(c.expected)) << c.command;
  }
}

TEST_F(PageTest, LayerListErrors) {
  static const struct {
    const char* command;
    const char* message;
  } cases[] = {
      {"ЗВУК((%255,-2))",
       "Ошибка в строке 10.\n\rСуммарная толщина всех контуров в команде \"ЗВУК()\" меньше нуля, "
       "что недопустимо!"},
      {"ЗВУК((%0,-5)(%255,3))",
       "Ошибка в строке 10.\n\rСуммарная толщина всех контуров в команде \"ЗВУК()\" меньше нуля, "
       "что недопустимо!"},
      {"ЗВУК((%0)(%255,-2))",
       "Ошибка в строке 10.\n\rДля 1-го слоя обводки в команде \"ЗВУК()\" задано нулевое или "
       "отрицательное значение толщины \"-2\", что допускается только для 0-го слоя (т.е. самого "
       "звука)."},
      // A '%' in the thickness is printed as written, not read as a format.
      {"ЗВУК((%0)(%255,%0))",
       "Ошибка в строке 10.\n\rДля 1-го слоя обводки в команде \"ЗВУК()\" задано нулевое или "
       "отрицательное значение толщины \"%0\", что допускается только для 0-го слоя (т.е. самого "
       "звука)."},
      {"ЗВУК((%0,30.002))",
       "Ошибка в строке 10.\n\rДля 0-го слоя обводки в команде \"ЗВУК()\" задано недопустимое "
       "значение \"30.002\" толщины обводки. Должно быть число от -10.00 до 30.00."},
      {"ЗВУК((%0,1,x))",
       "Ошибка в строке 10.\n\rДля 0-го слоя обводки в команде \"ЗВУК()\" задано недопустимое "
       "значение \"x\" размытости контура. Должно быть численное значение от 0.00 до 20.00. "
       "(Каждая целая единица дополнительно увеличивает толщину обводки на один пиксель)."},
      {"ЗВУК((%0)((%255)))",
       "Синтаксическая ошибка в строке 10.\n\rОжидалось: остаток параметра контура звука, включая "
       "закрывающую скобку,\n\rа имеем: лишняя открывающая скобка"},
      {"ЗВУК((%300))",
       "Синтаксическая ошибка в строке 10.\n\rОжидалось: целочисленный параметр со значением от 0 "
       "до 255, или три целочисленных параметра от 0 до 255, разделённых '%'-ми,\n\rа имеем: %300"},
      {"СВОЙСТВА_ТЕКСТА((%0)(%0,0))",
       "Ошибка в строке 10.\n\rДля 1-го слоя обводки в команде \"СВОЙСТВА_ТЕКСТА()\" задано "
       "нулевое или отрицательное значение толщины \"0\", что допускается только для 0-го слоя "
       "(т.е. самого звука)."},
      {"СВОЙСТВА_ТЕКСТА(((%0)))",
       "Синтаксическая ошибка в строке 10.\n\rОжидалось: остаток параметра контура в свойствах "
       "текста, включая закрывающую скобку,\n\rа имеем: лишняя открывающая скобка"},
      {"ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%255)(штриховка))",
       "Ошибка в строке 10.\n\rВ команде \"ЗАМАЗЫВАТЬ_В_БАЛОНАХ()\" задана недопустимая текстура "
       "\"textures/hatch\" цвета №2. Допускаются только текстуры, ассоциированные с цветом, но "
       "никак не с именем файла."},
      {"ЗАМАЗЫВАТЬ_В_БАЛОНАХ()",
       "Ошибка в строке 10.\n\rВ команде \"ЗАМАЗЫВАТЬ_В_БАЛОНАХ()\" задана недопустимая текстура "
       "\"\" цвета №1. Допускаются только текстуры, ассоциированные с цветом, но никак не с именем "
       "файла."},
      {"ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%1,40,11))",
       "Ошибка в строке 10.\n\rДля толщины обводки для 1-го цвета в команде "
       "\"ЗАМАЗЫВАТЬ_В_БАЛОНАХ()\" задано недопустимое значение \"11\". Должно быть целое число от "
       "0 до 10."},
      {"ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%1,256))",
       "Ошибка в строке 10.\n\rДля погрешности для 1-го цвета в команде "
       "\"ЗАМАЗЫВАТЬ_В_БАЛОНАХ()\" задано недопустимое значение \"256\". Должно быть целое от 0 "
       "до 255."},
      {"(a) ЗВУК((%0))", "Ошибка в строке 10.\n\rВсе звуки должны быть описаны ДО балонов!"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseError({c.command}), Wrapped(c.message)) << c.command;
}

TEST_F(PageTest, BalloonTextTags) {
  const std::string folder = manga_->ScriptFolder;
  static const struct {
    const char* line;
    const char* expected;  // after the script folder is put in for "{}"
  } cases[] = {
      {"%б%ж%0%-%/%[%]%ц%х%а", "%Б%Ж%0%-%/%[%]%Ц%Х%А%А"},
      {"%Ф(pic.tga) и %ф( a b )", "%Ф({}pic.tga) и %Ф({}a b)%А"},
      {"%Ф(штриховка)", "%Ф({}textures/hatch)%А"},
      {"%Ф(незнакомая)", "%Ф({}незнакомая)%А"},
  };
  for (const auto& c : cases) {
    auto page = Page({std::string("(") + c.line + ")"});
    page->Parse();
    std::string expected = Ru(c.expected);
    for (size_t at; (at = expected.find("{}")) != std::string::npos;) expected.replace(at, 2, folder);
    ASSERT_EQ(page->Balons.size(), 1u) << c.line;
    EXPECT_EQ(page->Balons[0].Text, expected) << c.line;
  }
}

TEST_F(PageTest, BalloonTextErrors) {
  static const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"(%Q)", "Синтаксическая ошибка в строке 10.\n\rНеизвестный тег \"%Q\"!"},
      {"(%г)", "Синтаксическая ошибка в строке 10.\n\rНеизвестный тег \"%Г\"!"},
      {"(конец%)", "Синтаксическая ошибка в строке 10.\n\rНеизвестный тег \"%%\"!"},
      {"(%Ф (pic.tga))",
       "Синтаксическая ошибка в строке 10.\n\rИзвиняйте, но пробелы между тегом \"%Ф\" и именем "
       "файла не допускаются."},
      {"(%Фpic)",
       "Синтаксическая ошибка в строке 10.\n\rОжидалось: открывающая скобка после тега \"%Ф\",\n\r"
       "а имеем: символ \"p\""},
      {"(%Ф(a(b)))",
       "Синтаксическая ошибка в строке 10.\n\rСкобки в имени файла после тега \"%Ф\" не "
       "допускаются.\n\rГомен насай."},
      {"(%Ф(серый))",
       "Ошибка в строке 10.\n\rВ качестве имени файла после тега \"%Ф\" указана текстура \"СЕРЫЙ\", "
       "ассоциированная с цветом (\"%160\"), а не с именем файла. Низ-зя.   >:("},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseError({c.line}), Wrapped(c.message)) << c.line;

  // Text that ends in '%' or in "%Ф" cannot come from a balloon block (its
  // lines end in line breaks), but the reader refuses it all the same.
  auto page = Page({});
  EXPECT_EQ(MessageOf([&] { page->ParseBalloonText("x%"); }),
            Ru("Синтаксическая ошибка в строке 0.\n\rНеизвестный тег \"%<конец строки>\"!"));
  EXPECT_EQ(MessageOf([&] { page->ParseBalloonText(Ru("x%ф")); }),
            Ru("Синтаксическая ошибка в строке 0.\n\rОжидалось: открывающая скобка после тега "
               "\"%Ф\",\n\rа имеем: конец строки"));
}

TEST_F(PageTest, ForeignFailuresAreWrappedWithThePageName) {
  EXPECT_EQ(ParseError({"ЗВУК((%0))", "НЕТ_ТАКОЙ(1)"}),
            Wrapped("Синтаксическая ошибка в строке 11.\n\rНеизвестная команда \"НЕТ_ТАКОЙ\"."));
  EXPECT_EQ(ParseError({"ШРИФТ(a, b, c)"}),
            Wrapped("Ошибка в строке 10.\n\rКоманда \"ШРИФТ()\" не допускается внутри описания "
                    "страницы!"));
}

}  // namespace
}  // namespace drovix

#include "drovix_parser/script/TParserHelper.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"

namespace drovix {
namespace {

// The script head reader over a script text written in UTF-8.
struct Script : TParserHelper {
  explicit Script(const std::string& utf8, bool head = true) {
    PrepareScript(Ru(utf8), "test.manga");
    IsScriptHead = head;
  }
};

// The message raised by f, converted to UTF-8 for readable failures.
template <class F>
std::string MessageOf(F f) {
  try {
    f();
  } catch (const EDrovixError& e) {
    return Cp1251ToUtf8(e.what());
  }
  return "(nothing raised)";
}

std::string Lines(const TStringListWithIDs& list) {
  std::string s;
  for (int32_t i = 0; i < list.Count(); ++i)
    s += std::to_string(list.GetID(i)) + ":" + Cp1251ToUtf8(list.Strings(i)) + "|";
  return s;
}

TEST(PrepareScript, NumbersLinesAsTheFileAndDropsComments) {
  TParserHelper p;
  p.PrepareScript("; head\r\n\r\n  A(1)  \rB(2)\n\t;x\n\nC(3)", "s.manga");
  EXPECT_EQ(Lines(p), "3:A(1)|4:B(2)|7:C(3)|");
  p.PrepareScript("A()\n", "s.manga");  // a final line end adds no line
  EXPECT_EQ(Lines(p), "1:A()|");
}

TEST(PrepareScript, RefusesTextThatIsNoScript) {
  TParserHelper p;
  EXPECT_EQ(MessageOf([&] { p.PrepareScript(std::string("A(1)\nB\0C(2)\n", 12), "/d/s.manga"); }),
            "Файл \"/d/s.manga\" - не текст мангаскрипта: в строке 2 стоит нулевой байт.\n\r"
            "Скрипт должен быть сохранён как простой текст, в кодировке Windows-1251 или UTF-8.");
  for (const char* empty : {"", "\n\n", " \t\r\n; only a comment\n"})
    EXPECT_EQ(MessageOf([&] { p.PrepareScript(empty, "s.manga"); }),
              "Файл \"s.manga\" пуст: в нём нет ни одной команды, одни пробелы и комментарии.")
        << empty;
}

TEST(ReadName, BlanksAndLineBreaksBecomeOneUnderscore) {
  for (const char* text : {"РАЗМЕР_ШРИФТА(12)", "РАЗМЕР ШРИФТА (12)", "  РАЗМЕР   ШРИФТА(12)",
                           "РАЗМЕР\nШРИФТА\n(12)", "РАЗМЕР_\n\n; note\nШРИФТА(12)"}) {
    Script s(text);
    EXPECT_EQ(Cp1251ToUtf8(s.ReadName()), "РАЗМЕР_ШРИФТА") << text;
    EXPECT_EQ(s.ReadParameterBlock()->Strings(0), "12") << text;
  }
  Script page("% p01(x)");
  EXPECT_EQ(page.ReadName(), "%_p01");
  Script bare("(text)");
  EXPECT_EQ(bare.ReadName(), "");  // a balloon
}

TEST(ReadName, StrayClosingBracketAndEndOfFile) {
  Script head("A(1))");
  head.ReadName();
  head.ReadParameterBlock();
  EXPECT_EQ(MessageOf([&] { head.ReadName(); }),
            "Синтаксическая ошибка в строке 1.\n\rОжидалось: команда или имя страницы,\n\r"
            "а имеем: закрывающая скобка\n\r"
            "Рекомендации: проверь соответствие числа открывающих и закрывающих скобок.");
  Script page("\n)", false);
  EXPECT_EQ(MessageOf([&] { page.ReadName(); }),
            "Синтаксическая ошибка в строке 2.\n\rОжидалось: команда,\n\r"
            "а имеем: закрывающая скобка\n\r"
            "Рекомендации: проверь соответствие числа открывающих и закрывающих скобок.");
  Script ended("A(1)\n\nB(2)");
  for (int i = 0; i < 2; ++i) {
    ended.ReadName();
    ended.ReadParameterBlock();
  }
  EXPECT_EQ(MessageOf([&] { ended.ReadName(); }),
            "Синтаксическая ошибка в строке 3.\n\rОжидалось: команда или имя страницы,\n\r"
            "а имеем: полный конец обеда... то есть, файла\n\r"
            "Рекомендации: проверь соответствие числа открывающих и закрывающих скобок.\n\r"
            "Проверь, кончается ли текст закрывающей командой \"конец()\".");
}

TEST(ReadName, CommentAtTheEndOfALine) {
  const std::string expected =
      "Синтаксическая ошибка в строке 2.\n\rКомментарии в конце строк не допускаются!\n\r"
      "Комментарий должен быть отдельной строкой, начинающейся с точки с запятой (\";\")\n\r"
      "Администрация.. гм... приносит свои извинения за доставленные неудобства.";
  Script s("МАНГА(out)\nШРИФТ(a, b, c) ; fonts");
  s.ReadName();
  s.ReadParameterBlock();
  s.ReadName();
  s.ReadParameterBlock();
  EXPECT_EQ(MessageOf([&] { s.ReadName(); }), expected);
  Script before("МАНГА(out)\nШРИФТ ;(a)");
  before.ReadName();
  before.ReadParameterBlock();
  EXPECT_EQ(MessageOf([&] { before.ReadName(); }), expected);
}

TEST(ReadParameterBlock, OneLinePerSourceLineWithItsNumber) {
  Script s("ЗВУК(\n(%0,0,0.7)\n\n; c\n  (%255, 3,1) )БАЛОН(Привет; мир!)()");
  EXPECT_EQ(Cp1251ToUtf8(s.ReadName()), "ЗВУК");
  auto block = s.ReadParameterBlock();
  EXPECT_EQ(Lines(*block), "2:(%0,0,0.7)|5:(%255, 3,1)|");
  EXPECT_EQ(s.PositionText(), Ru("где-то в строках 2..5"));
  s.ReadName();
  EXPECT_EQ(Lines(*s.ReadParameterBlock()), "5:Привет; мир!|");  // ';' inside is text
  EXPECT_EQ(s.PositionText(), Ru("в строке 5"));
  EXPECT_EQ(s.ReadName(), "");
  EXPECT_EQ(s.ReadParameterBlock()->Count(), 0);
  EXPECT_EQ(s.RangeFirst, -1);
  EXPECT_EQ(s.PositionText(), Ru("в строке 5"));
}

TEST(ReadParameterBlock, EmptyBlockNamesTheLineOfItsBracket) {
  // Reading "()" at the end of line 2 leaves the position on line 3; a rule
  // error about the command still names line 2.
  Script s("A(1)\nЦВЕТНЫЕ_СКАНЫ(\n)\nB(2)");
  s.ReadName();
  s.ReadParameterBlock();
  s.ReadName();
  EXPECT_EQ(s.ReadParameterBlock()->Count(), 0);
  EXPECT_EQ(s.PositionText(), Ru("в строке 3"));
  EXPECT_EQ(s.GetID(s.Line), 4);
  s.ReadName();
  EXPECT_EQ(s.PositionText(), Ru("в строке 4"));
}

TEST(ReadParameterBlock, RangeOfLines10To12) {
  std::string text = "МАНГА(out)";
  for (int i = 2; i < 10; ++i) text += "\n; filler";
  text += "\nСВОЙСТВА_ТЕКСТА((%0)\n(%255,3)\n)\nРАЗМЕР_ШРИФТА(\n12)";
  Script s(text);
  s.ReadName();
  s.ReadParameterBlock();
  s.ReadName();
  s.ReadParameterBlock();
  EXPECT_EQ(s.RangeFirst, 10);
  EXPECT_EQ(s.RangeLast, 11);  // line 12 holds only the bracket
  s.ReadName();
  s.ReadParameterBlock();
  EXPECT_EQ(s.PositionText(), Ru("в строке 14"));
  EXPECT_EQ(MessageOf([&] { s.RaiseError(Ru("текст")); }), "Ошибка в строке 14.\n\rтекст");
  s.RangeFirst = 10;
  s.RangeLast = 12;
  EXPECT_EQ(MessageOf([&] { s.RaiseSyntaxErrorText(Ru("текст")); }),
            "Синтаксическая ошибка где-то в строках 10..12.\n\rтекст");
  EXPECT_EQ(MessageOf([&] { s.RaiseSyntaxError(Ru("одно"), Ru("другое"), ""); }),
            "Синтаксическая ошибка где-то в строках 10..12.\n\rОжидалось: одно,\n\rа имеем: другое");
  EXPECT_EQ(MessageOf([&] { s.RaiseUnknownCommand(Ru("ШРИФТЫ")); }),
            "Синтаксическая ошибка где-то в строках 10..12.\n\rНеизвестная команда \"ШРИФТЫ\".");
}

TEST(ReadParameterBlock, MissingOpeningBracket) {
  // Without a bracket the name runs on into the text.
  Script t("ШРИФТ\n  a, b)");
  EXPECT_EQ(MessageOf([&] { t.ReadName(); }),
            "Синтаксическая ошибка в строке 2.\n\rОжидалось: команда или имя страницы,\n\r"
            "а имеем: закрывающая скобка\n\r"
            "Рекомендации: проверь соответствие числа открывающих и закрывающих скобок.");
  Script u("МАНГА(out) \"x\" (y)");
  u.ReadName();
  u.ReadParameterBlock();
  EXPECT_EQ(Cp1251ToUtf8(u.ReadName()), "\"x\"");
  Script v("КОНЕЦ");
  v.ReadName();
  EXPECT_EQ(MessageOf([&] { v.ReadParameterBlock(); }),
            "Синтаксическая ошибка в строке 1.\n\rОжидалось: открывающая скобка,\n\r"
            "а имеем: полный конец обеда... то есть, файла\n\r"
            "Рекомендации: проверь соответствие числа открывающих и закрывающих скобок.");
}

TEST(ReadParameterBlock, SomethingElseWhereTheBracketShouldBe) {
  // ReadName always stops at a bracket; a caller that reads a block anywhere
  // else gets the rest of the line echoed.
  Script s("ШРИФТ(a)x y", false);
  s.ReadName();
  s.ReadParameterBlock();
  s.Column = 9;
  EXPECT_EQ(MessageOf([&] { s.ReadParameterBlock(); }),
            "Синтаксическая ошибка в строке 1.\n\rОжидалось: открывающая скобка,\n\rа имеем: \"x y\"");
}

TEST(ReadParameterBlock, UnclosedBlockAtTheEndOfTheScript) {
  Script s("; a comment\n\nМАНГА(");
  EXPECT_EQ(Cp1251ToUtf8(s.ReadName()), "МАНГА");
  EXPECT_EQ(MessageOf([&] { s.ReadParameterBlock(); }),
            "Синтаксическая ошибка в строке 3.\n\r"
            "Ожидалось: оcтатняя часть параметра команды или описания страницы,\n\r"
            " включая 1 закрывающих скобок,\n\r"
            "а имеем:  неожиданный, и даже какой-то обидный, конец файла\n\r"
            "Рекомендации:  проверь соответствие числа открывающих и закрывающих скобок.");
  Script deep("%p01(\nБАЛОН((a)\n(b");
  deep.ReadName();
  EXPECT_EQ(MessageOf([&] {
              deep.ReadParameterBlock();
            }).substr(0, std::string("Синтаксическая ошибка где-то в строках 1..3.").size()),
            "Синтаксическая ошибка где-то в строках 1..3.");
  Script deep2("%p01(\nБАЛОН((a)\n(b");
  deep2.ReadName();
  EXPECT_NE(MessageOf([&] { deep2.ReadParameterBlock(); }).find(" включая 3 закрывающих скобок"),
            std::string::npos);
  // A page returns what it has read.
  Script page("БАЛОН(Привет\nмир", false);
  page.ReadName();
  EXPECT_EQ(Lines(*page.ReadParameterBlock()), "1:Привет|2:мир|");
}

TEST(ReadParameterBlock, RunawayLinesStayFastAndReadable) {
  const std::string big(1 << 20, 'A');
  Script unknown(big + "()");
  EXPECT_EQ(unknown.ReadName().size(), big.size());
  const std::string msg = MessageOf([&] { unknown.RaiseUnknownCommand(big); });
  EXPECT_EQ(msg,
            "Синтаксическая ошибка в строке 1.\n\rНеизвестная команда \"" + std::string(200, 'A') + "...\".");
  Script noBracket("X\n" + big);
  EXPECT_EQ(noBracket.ReadName().size(), big.size() + 2);  // "X_AAA..."
  EXPECT_EQ(MessageOf([&] { noBracket.ReadParameterBlock(); }),
            "Синтаксическая ошибка в строке 2.\n\rОжидалось: открывающая скобка,\n\r"
            "а имеем: полный конец обеда... то есть, файла\n\r"
            "Рекомендации: проверь соответствие числа открывающих и закрывающих скобок.");
  noBracket.Line = 1;
  noBracket.Column = 1;
  EXPECT_EQ(MessageOf([&] { noBracket.ReadParameterBlock(); }),
            "Синтаксическая ошибка в строке 2.\n\rОжидалось: открывающая скобка,\n\rа имеем: \"" +
                std::string(200, 'A') + "...\"");
  Script block("X(" + big + ")");
  block.ReadName();
  EXPECT_EQ(block.ReadParameterBlock()->Strings(0).size(), big.size());
  Script unclosed("X(" + std::string(1 << 20, '('));
  unclosed.ReadName();
  EXPECT_NE(MessageOf([&] { unclosed.ReadParameterBlock(); }).find("включая 1048577 закрывающих"),
            std::string::npos);
}

}  // namespace
}  // namespace drovix

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "driver/CommandLine.h"
#include "driver/console/Cp1251.h"
#include "driver/Driver.h"
#include "driver/console/Error.h"

namespace drovix {
namespace {

TEST(Cp1251, RussianAlphabetAndSigns) {
  const std::string up = Ru("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
  const std::string low = Ru("абвгдежзийклмнопрстуфхцчшщъыьэюя");
  ASSERT_EQ(up.size(), 32u);
  ASSERT_EQ(low.size(), 32u);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(static_cast<unsigned char>(up[i]), 0xC0 + i);
    EXPECT_EQ(static_cast<unsigned char>(low[i]), 0xE0 + i);
  }
  EXPECT_EQ(Ru("Ёё№«»—"), "\xA8\xB8\xB9\xAB\xBB\x97");
  EXPECT_EQ(Ru("ЇїЎўЄє"), "\xAF\xBF\xA1\xA2\xAA\xBA");
  // No code in the code page: '?'; broken UTF-8: '?' per bad byte.
  EXPECT_EQ(Ru("a☺b"), "a?b");
  EXPECT_EQ(Ru("a\xFF" "b"), "a?b");
  EXPECT_EQ(Cp1251ToUtf8(Ru("Привет, №5!")), "Привет, №5!");
}

TEST(Cp1251, StrictConversionReportsTheOffset) {
  size_t bad = 99;
  EXPECT_EQ(Utf8ToCp1251("МАНГА(out)", &bad), Ru("МАНГА(out)"));
  EXPECT_FALSE(Utf8ToCp1251("ab☺", &bad));
  EXPECT_EQ(bad, 2u);
  EXPECT_FALSE(Utf8ToCp1251("ab\xD0", &bad));  // cut sequence
  EXPECT_EQ(bad, 2u);
  EXPECT_FALSE(Utf8ToCp1251("\xC0\x80", &bad));  // overlong NUL
  EXPECT_EQ(bad, 0u);

  EXPECT_TRUE(LooksLikeUtf8("МАНГА"));
  EXPECT_FALSE(LooksLikeUtf8("plain ascii"));
  EXPECT_FALSE(LooksLikeUtf8(Ru("МАНГА")));  // two Windows-1251 letters in a row
}

TEST(Format, PrintfWithTwoDecimalFloats) {
  EXPECT_EQ(Format("%d..%d", 10, 12), "10..12");
  EXPECT_EQ(Format("от %f до %f", 0.5, 5.0), "от 0.50 до 5.00");
  EXPECT_EQ(Format("%s%d%f", "x", -1, 1.005f), "x-11.00");
  EXPECT_EQ(Format("100%% %s", "%f"), "100% %f");  // arguments are not formats
  EXPECT_EQ(Format(""), "");
}

TEST(Error, RaiseCarriesTheWholeMessage) {
  try {
    Raise(Ru("Ошибка в строке 3.\n\rТекст"));
    FAIL();
  } catch (const EDrovixError& e) {
    EXPECT_EQ(std::string(e.what()), Ru("Ошибка в строке 3.\n\rТекст"));
  }
}

TEST(CommandLine, KeysAnywhereInAnyCase) {
  const std::vector<std::string> args{"page.manga", "-W", "-d"};
  EXPECT_TRUE(HasCommandLineKey(args, "-w"));
  EXPECT_TRUE(HasCommandLineKey(args, "-D"));
  EXPECT_FALSE(HasCommandLineKey(args, "-r"));
  EXPECT_FALSE(HasCommandLineKey(args, "w"));
  // Argument 1 counts too; only ASCII letters are folded.
  EXPECT_TRUE(HasCommandLineKey({"-x"}, "-X"));
  EXPECT_FALSE(HasCommandLineKey({Ru("-ж")}, Ru("-Ж")));
  EXPECT_FALSE(HasCommandLineKey({}, "-w"));
}

TEST(CommandLineKeys, ParallelPages) {
  const struct {
    std::vector<std::string> args;
    int32_t pages;
  } cases[] = {
      {{"ch"}, 0},
      {{"ch", "-j"}, 0},
      {{"ch", "-j4"}, 4},
      {{"ch", "-J12"}, 12},
      {{"ch", "-j2", "-j1"}, 1},
      {{"ch", "-j0"}, -1},
      {{"ch", "-jx"}, -1},
      {{"ch", "-j3x"}, -1},
      {{"ch", "-j99999999"}, -1},
      {{"-jeans", "-j2"}, 2},  // argument 1 is the script
      {{"-j3"}, 3},
  };
  for (const auto& c : cases) EXPECT_EQ(ParallelPagesKey(c.args), c.pages) << c.args.back();
}

TEST(CrashPhrases, EighteenAndEachCanBePicked) {
  const std::string& list = CrashPhrases();
  std::set<std::string> seen;
  for (int i = 0; i < 2000 && seen.size() < 18; ++i) seen.insert(PickRandomPhrase(list));
  EXPECT_EQ(seen.size(), 18u);
  EXPECT_TRUE(seen.count(Ru("УСЁ ГРОХНУЛОСЬ НАФИГ")));
  EXPECT_TRUE(seen.count(Ru("НУ, УМЕРЛА - ТАК УМЕРЛА...")));
  EXPECT_TRUE(seen.count(Ru("..ММАТЬ..!")));
}

TEST(CrashPhrases, PiecesOfTheList) {
  EXPECT_EQ(PickRandomPhrase("only"), "only");
  EXPECT_EQ(PickRandomPhrase(""), "");
  // "~a" has an empty first piece.
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) seen.insert(PickRandomPhrase("~a"));
  EXPECT_EQ(seen, (std::set<std::string>{"", "a"}));
}

}  // namespace
}  // namespace drovix

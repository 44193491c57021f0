#include "driver/console/Console.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

// Runs f with standard output sent to a temporary file; returns what it wrote.
std::string CaptureStdout(const std::function<void()>& f) {
  std::fflush(stdout);
  FILE* tmp = std::tmpfile();
  const int saved = dup(fileno(stdout));
  dup2(fileno(tmp), fileno(stdout));
  f();
  std::fflush(stdout);
  dup2(saved, fileno(stdout));
  close(saved);
  std::string out;
  std::rewind(tmp);
  for (int c; (c = std::fgetc(tmp)) != EOF;) out.push_back(static_cast<char>(c));
  std::fclose(tmp);
  return out;
}

TEST(Transliterate, WholeTable) {
  static const struct {
    const char* letter;  // UTF-8
    const char* latin;
  } kCases[] = {
      {"Ё", "JO"}, {"А", "A"},  {"Б", "B"},    {"В", "W"},    {"Г", "G"}, {"Д", "D"}, {"Е", "E"}, {"Ж", "ZH"},
      {"З", "Z"},  {"И", "I"},  {"Й", "J"},    {"К", "K"},    {"Л", "L"}, {"М", "M"}, {"Н", "N"}, {"О", "O"},
      {"П", "P"},  {"Р", "R"},  {"С", "S"},    {"Т", "T"},    {"У", "U"}, {"Ф", "F"}, {"Х", "H"}, {"Ц", "C"},
      {"Ч", "CH"}, {"Ш", "SH"}, {"Щ", "SHCH"}, {"Ъ", "'"},    {"Ы", "Y"}, {"Ь", "6"}, {"Э", "E"}, {"Ю", "JU"},
      {"Я", "JA"}, {"ё", "jo"}, {"а", "a"},    {"б", "b"},    {"в", "w"}, {"г", "g"}, {"д", "d"}, {"е", "e"},
      {"ж", "zh"}, {"з", "z"},  {"и", "i"},    {"й", "j"},    {"к", "k"}, {"л", "l"}, {"м", "m"}, {"н", "n"},
      {"о", "o"},  {"п", "p"},  {"р", "r"},    {"с", "s"},    {"т", "t"}, {"у", "u"}, {"ф", "f"}, {"х", "h"},
      {"ц", "c"},  {"ч", "ch"}, {"ш", "sh"},   {"щ", "shch"}, {"ъ", "'"}, {"ы", "y"}, {"ь", "6"}, {"э", "e"},
      {"ю", "ju"}, {"я", "ja"},
  };
  ASSERT_EQ(std::size(kCases), 66u);
  for (const auto& c : kCases) {
    const std::string cp = Ru(c.letter);
    ASSERT_EQ(cp.size(), 1u) << c.letter;
    EXPECT_EQ(Transliterate(cp), c.latin) << c.letter;
  }
  // Every byte outside the Russian alphabet passes unchanged.
  for (int b = 0; b < 256; ++b) {
    if (b >= 0xC0 || b == 0xA8 || b == 0xB8) continue;
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Transliterate(one), one) << b;
  }
}

TEST(Transliterate, Sentences) {
  EXPECT_EQ(Transliterate(Ru("ВСЁ ПУЧКОМ! :)")), "WSJO PUCHKOM! :)");
  EXPECT_EQ(Transliterate(Ru("Жми ENTER шоб закрыть.")), "ZHmi ENTER shob zakryt6.");
  // Latin c in the second place of the first word, Cyrillic с in the other.
  EXPECT_EQ(Transliterate(Ru("оcтатняя")), "octatnjaja");
  EXPECT_EQ(Transliterate(Ru("остатняя")), "ostatnjaja");
  // № and the letters of other Cyrillic alphabets keep their raw bytes.
  EXPECT_EQ(Transliterate(Ru("Балон №3")),
            "Balon \xB9"
            "3");
  EXPECT_EQ(Transliterate(Ru("ї")), "\xBF");
  EXPECT_EQ(Transliterate("a\n\rb"), "a\n\rb");
}

TEST(Console, WritersTransliterateAndEndLines) {
  EXPECT_EQ(CaptureStdout([] { ConsoleWriteLine(""); }), "\n");
  EXPECT_EQ(CaptureStdout([] { ConsoleWriteLine(Ru("Гружу\n\r")); }), "Gruzhu\n\r\n");
  EXPECT_EQ(CaptureStdout([] {
              ConsoleWrite(Ru("  гружу..."));
              ConsoleWriteRaw("..");
              ConsoleWrite(Ru(".балон"));
            }),
            "  gruzhu......balon");
  // Raw marks are not transliterated (a byte of the alphabet stays itself).
  EXPECT_EQ(CaptureStdout([] { ConsoleWriteRaw("\xC0"); }), "\xC0");
}

}  // namespace
}  // namespace drovix

#include "drovix_parser/script/ScriptEncoding.h"

#include <gtest/gtest.h>

#include <string>

#include "MangaTestUtil.h"
#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

using testing::MessageOf;

TEST(ScriptEncoding, Utf8ScriptsReadAsWindows1251) {
  const std::string utf8 = "; comment\r\nМАНГА(out)\nШРИФТ(a, b, c)\rКОНЕЦ()";
  const std::string cp1251 = Ru(utf8);
  static const struct {
    const char* name;
    std::string input;
    std::string expected;
  } cases[] = {
      {"Windows-1251 unchanged", cp1251, cp1251},
      {"UTF-8 converted, line ends kept", utf8, cp1251},
      {"byte-order mark dropped", "\xEF\xBB\xBF" + utf8, cp1251},
      {"mark on plain ASCII", "\xEF\xBB\xBFKONEC()", "KONEC()"},
      {"plain ASCII unchanged", "abc\n", "abc\n"},
      {"empty", "", ""},
      {"only the mark", "\xEF\xBB\xBF", ""},
      // Bytes that are no valid UTF-8 are Windows-1251, even with a stray
      // sequence that would decode.
      {"invalid UTF-8 is Windows-1251", "\xD0\xB8 \xC0\xC1", "\xD0\xB8 \xC0\xC1"},
      {"No and quotes", "№ «x»", Ru("№ «x»")},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeScriptBytes(c.input), c.expected) << c.name;
}

TEST(ScriptEncoding, CharacterWithoutWindows1251CodeIsRefusedWithItsLine) {
  static const struct {
    const char* name;
    std::string input;
    int line;
    const char* code;
  } cases[] = {
      {"LF", "МАНГА(out)\n\nБАЛОН(日本)\n", 3, "65E5"},
      {"CR LF counted once", "a\r\nb\r\n€ ok ✓\r\n", 3, "2713"},
      {"CR alone", "a\rb\rc\r😀", 4, "1F600"},
      {"with the mark",
       "\xEF\xBB\xBF"
       "a\n\xE2\x9C\x93",
       2, "2713"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf([&] { DecodeScriptBytes(c.input); }),
              Format(Ru("Ошибка в строке %d.\n\rСкрипт сохранён в кодировке UTF-8, а символа U+%s в "
                        "кодировке Windows-1251 нет.\n\rЗамени его или сохрани скрипт в кодировке "
                        "Windows-1251."),
                     c.line, c.code))
        << c.name;
  }
}

TEST(ScriptEncoding, MarkedScriptWithBrokenBytesIsRefused) {
  EXPECT_EQ(MessageOf([] {
              DecodeScriptBytes(
                  "\xEF\xBB\xBF"
                  "a\nb\n\xC0\xC1\n");
            }),
            Ru("Ошибка в строке 3.\n\rФайл начинается с метки кодировки UTF-8, но в этой строке "
               "стоят байты, недопустимые в UTF-8.\n\rПересохрани скрипт в кодировке UTF-8 или "
               "Windows-1251."));
}

TEST(ScriptEncoding, Windows1251LineInAUtf8ScriptIsNamed) {
  const std::string message =
      Ru("Ошибка в строке %d.\n\rСкрипт сохранён в кодировке UTF-8, а эта строка - в какой-то "
         "другой (похоже, в Windows-1251).\n\rПересохрани скрипт целиком в одной кодировке: UTF-8 "
         "или Windows-1251.");
  static const struct {
    const char* name;
    std::string input;
    int line;
  } cases[] = {
      {"one pasted line", "МАНГА(out)\nШРИФТ(a,b,c)\n%p01(\n" + Ru("(Привет!)") + "\n)\nКОНЕЦ()\n", 4},
      {"the first of two, CR LF",
       "МАНГА(out)\r\n" + Ru("(Привет!)") + "\r\nКОНЕЦ()\r\n(ещё)\r\n" + Ru("(Пока!)"), 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MessageOf([&] { DecodeScriptBytes(c.input); }), Format(message, c.line)) << c.name;

  // A Windows-1251 script keeps working when one of its lines happens to be
  // valid UTF-8 ("Я»" is the bytes of U+07FB), and so does an even mix.
  const std::string cp1251 = Ru("МАНГА(out)\n(Я»)\nКОНЕЦ()\n");
  EXPECT_EQ(DecodeScriptBytes(cp1251), cp1251);
  const std::string even = "(Привет)\n" + Ru("(Привет)");
  EXPECT_EQ(DecodeScriptBytes(even), even);
}

}  // namespace
}  // namespace drovix

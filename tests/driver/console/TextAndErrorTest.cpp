// The code page conversions, message formatting and the error class every
// unit raises with.
#include <gtest/gtest.h>

#include <string>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"

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
  EXPECT_EQ(Ru("a\xFF"
               "b"),
            "a?b");
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

TEST(MessageName, RunawayNamesKeepTheirStartAndEnd) {
  const std::string sane(320, 'a');
  EXPECT_EQ(MessageName(sane), sane);
  EXPECT_EQ(MessageName(""), "");
  const std::string runaway = "/scans/" + std::string(1000000, 'x') + "p01.tga";
  const std::string shown = MessageName(runaway);
  EXPECT_EQ(shown, "/scans/" + std::string(153, 'x') + "..." + std::string(153, 'x') + "p01.tga");
  EXPECT_EQ(MessageName(sane + "b"), std::string(160, 'a') + "..." + std::string(159, 'a') + "b");
}

}  // namespace
}  // namespace drovix

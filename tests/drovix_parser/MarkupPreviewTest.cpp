#include <gtest/gtest.h>

#include <string>

#include "driver/console/Cp1251.h"
#include "drovix_parser/build/MarkupPreview.h"

namespace drovix {
namespace {

// Balloon texts as the page parser leaves them: tags upper-cased, every line
// ending in %А, picture names with the script folder in front.
TEST(MarkupPreview, FirstWordsLeaveTheTagsOut) {
  static const struct {
    const char* text;
    size_t length;
    const char* words;
  } kCases[] = {
      {"Привет!%А", 24, "Привет!"},
      {"Эй! Ты это %Жслышал%0?%АКажется%А", 24, "Эй! Ты это слышал?..."},
      {"Эй! Ты это %Жслышал%0?%АКажется%А", 26, "Эй! Ты это слышал? Кажется"},
      {"%ВТишина%А", 24, "Тишина"},
      {"Раз два три четыре%А", 10, "Раз два..."},
      {"Достопримечательности%А", 8, "Достопри..."},
      {"%Ф(/a/b/pic.tga)Смотри%А", 24, "Смотри"},
      {"%Ф(/a/незакрытая", 24, ""},
      {"  два  пробела %[в%] скобках%А", 24, "два пробела в скобках"},
      {"%А%А", 24, ""},
      {"", 24, ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(FirstWords(Ru(c.text), c.length), Ru(c.words)) << c.text;
}

}  // namespace
}  // namespace drovix

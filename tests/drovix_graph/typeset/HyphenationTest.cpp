#include "drovix_graph/typeset/Hyphenation.h"

#include <gtest/gtest.h>

#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

TEST(Hyphenation, AutoHyphenateTable) {
  const struct {
    const char* text;
    int32_t minLength;
    const char* expected;
  } cases[] = {
      {"переносами", 7, "пере%-но%-са%-ми"},
      {"программа", 7, "прог%-рам%-ма"},
      {"когда-нибудь", 7, "ког%-да-ни%-будь"},  // one run, the hyphen-minus included
      {"молоко", 7, "молоко"},
      {"молоко", 5, "моло%-ко"},
      {"кошка", 5, "кош%-ка"},
      {"Ёлочка", 5, "Ёлоч%-ка"},
      {"%Жпереносами", 7, "%Жпе%-ре%-но%-са%-ми"},  // the tag's letter joins the run
      {"Да, переносами! Программа.", 7, "Да, пере%-но%-са%-ми! Прог%-рам%-ма."},
      {"переносами", 2147483647, "переносами"},
      {"transitions", 2, "transitions"},
      {"пере%-носами", 7, "пере%-но%-са%-ми"},  // a manual hyphen joins the next run
      {"%Ф(/папка/переносами.tga)переносами", 7, "%Ф(/папка/переносами.tga)пере%-но%-са%-ми"},
      {"", 7, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Cp1251ToUtf8(AutoHyphenate(Ru(c.text), c.minLength)), c.expected);
  }
}

TEST(Hyphenation, HyphenateWordBreaksBetweenSyllables) {
  EXPECT_EQ(Cp1251ToUtf8(HyphenateWord(Ru("переносами"))), "пере%-но%-са%-ми");
  EXPECT_EQ(Cp1251ToUtf8(HyphenateWord(Ru("ааа"))), "ааа");
  EXPECT_EQ(Cp1251ToUtf8(HyphenateWord(Ru("ааааа"))), "ааа%-аа");  // vowels are letters too
  EXPECT_EQ(HyphenateWord(""), "");
}

TEST(Hyphenation, LetterAndVowelClasses) {
  int letters = 0, vowels = 0;
  for (int c = 0; c < 256; ++c) {
    letters += IsRussianLetter(static_cast<unsigned char>(c));
    vowels += IsRussianVowel(static_cast<unsigned char>(c));
    if (IsRussianVowel(static_cast<unsigned char>(c))) {
      EXPECT_TRUE(IsRussianLetter(static_cast<unsigned char>(c)));
    }
  }
  EXPECT_EQ(letters, 66);
  EXPECT_EQ(vowels, 20);
}

}  // namespace
}  // namespace drovix

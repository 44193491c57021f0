// Automatic Russian hyphenation: optional hyphens ("%-") inserted into long
// words of a balloon text. Texts are Windows-1251.
#pragma once

#include <cstdint>
#include <string>

namespace drovix {

// А..я, Ё and ё: the 66 Russian letters.
bool IsRussianLetter(unsigned char c);
// А Е И О У Ы Э Ю Я in both cases, Ё and ё.
bool IsRussianVowel(unsigned char c);

// The text with optional hyphens inserted into every run of letters and
// hyphen-minus signs at least minLength long. Every other character ends a
// run and is copied unchanged; the letter of a tag joins the run after it.
// The picture name of an inline picture tag ("%Ф(name)") is copied as it is.
std::string AutoHyphenate(const std::string& text, int32_t minLength);

// One word with an optional hyphen before every letter that has at least
// three characters before it, a vowel after it, and a vowel directly before
// it or one letter earlier behind a letter.
std::string HyphenateWord(const std::string& word);

}  // namespace drovix

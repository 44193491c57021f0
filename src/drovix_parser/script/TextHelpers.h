// Small text helpers shared by the script classes. Texts are Windows-1251
// bytes; characters are compared as byte codes.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <string_view>

namespace drovix {

// a-z to A-Z, а-я to А-Я, ё to Ё and the other Cyrillic lower-case letters of
// the code page (ѓ ђ љ њ ќ ћ џ ў і ґ є ј ѕ ї) to their capitals; every other
// byte unchanged.
char UpperCaseCyrChar(char c);
std::string UpperCaseCyr(std::string_view text);

// Removes leading and trailing bytes 0..32.
std::string Trim(std::string_view text);

// The text without every character that occurs in chars.
std::string RemoveChars(std::string_view text, std::string_view chars);

// Replaces every occurrence of oldText by newText. Each replacement starts
// the search again from the beginning of the text, so a replacement that
// re-creates oldText is replaced again. REQUIRES: newText does not contain
// oldText (the loop would never end); an empty oldText changes nothing.
std::string ReplaceAll(std::string text, std::string_view oldText, std::string_view newText);

// Turns every line break (CR, LF) into one blank, splits the text at every
// character of delimiters and returns field n (counted from 0), trimmed; an
// empty text when there are fewer fields.
std::string ExtractField(std::string_view text, int n, std::string_view delimiters);

// Frees the owned object, if any, and swallows any failure raised while
// freeing it.
template <class T>
void FreeQuietly(std::unique_ptr<T>& object) noexcept {
  // unique_ptr::reset is noexcept, so a destructor declared noexcept(false)
  // that throws would end the program there; delete it here instead.
  T* raw = object.release();
  try {
    delete raw;
  } catch (...) {
  }
}

}  // namespace drovix

#include "drovix_graph/typeset/Hyphenation.h"

#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

constexpr unsigned char kYo = 168;       // Ё
constexpr unsigned char kSmallYo = 184;  // ё
constexpr unsigned char kEf = 212;       // Ф, the inline picture tag

}  // namespace

bool IsRussianLetter(unsigned char c) { return c >= 192 || c == kYo || c == kSmallYo; }

bool IsRussianVowel(unsigned char c) {
  static const std::string vowels = Ru("АЕИОУЫЭЮЯаеиоуыэюяЁё");
  return c != 0 && vowels.find(static_cast<char>(c)) != std::string::npos;
}

std::string HyphenateWord(const std::string& word) {
  const size_t n = word.size();
  const auto at = [&word](size_t p) { return static_cast<unsigned char>(word[p - 1]); };  // 1-based
  std::string out;
  out.reserve(n + n / 2);
  for (size_t p = 1; p <= n; ++p) {
    const bool breakHere =
        p >= 4 && IsRussianLetter(at(p)) && p + 1 <= n && IsRussianVowel(at(p + 1)) &&
        (IsRussianVowel(at(p - 1)) || (IsRussianLetter(at(p - 1)) && IsRussianVowel(at(p - 2))));
    if (breakHere) out += "%-";
    out.push_back(word[p - 1]);
  }
  return out;
}

std::string AutoHyphenate(const std::string& text, int32_t minLength) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  std::string run;
  const auto flush = [&] {
    if (static_cast<int64_t>(run.size()) >= minLength) {
      out += HyphenateWord(run);
    } else {
      out += run;
    }
    run.clear();
  };
  const size_t n = text.size();
  bool tagChar = false;  // the character after a tag's '%'
  for (size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!tagChar && c == '%' && i + 1 < n && static_cast<unsigned char>(text[i + 1]) == kEf) {
      // A picture name is a file name, not text: never break it.
      flush();
      size_t end = text.find(')', i + 2);
      end = end == std::string::npos ? n : end + 1;
      out.append(text, i, end - i);
      i = end - 1;
      continue;
    }
    const bool startsTag = !tagChar && c == '%';
    tagChar = startsTag;
    if (IsRussianLetter(c) || c == '-') {
      run.push_back(static_cast<char>(c));
    } else {
      flush();
      out.push_back(static_cast<char>(c));
    }
  }
  flush();
  return out;
}

}  // namespace drovix

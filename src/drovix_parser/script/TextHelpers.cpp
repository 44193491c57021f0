#include "drovix_parser/script/TextHelpers.h"

namespace drovix {

char UpperCaseCyrChar(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  int u = c;
  if (c >= 'a' && c <= 'z')
    u = c - 'a' + 'A';
  else if (c >= 0xE0)  // а..я
    u = c - 0x20;
  else
    switch (c) {
      case 0xB8:
        u = 0xA8;
        break;  // ё
      case 0x83:
        u = 0x81;
        break;  // ѓ
      case 0x90:
        u = 0x80;
        break;  // ђ
      case 0x9A:
        u = 0x8A;
        break;  // љ
      case 0x9C:
        u = 0x8C;
        break;  // њ
      case 0x9D:
        u = 0x8D;
        break;  // ќ
      case 0x9E:
        u = 0x8E;
        break;  // ћ
      case 0x9F:
        u = 0x8F;
        break;  // џ
      case 0xA2:
        u = 0xA1;
        break;  // ў
      case 0xB3:
        u = 0xB2;
        break;  // і
      case 0xB4:
        u = 0xA5;
        break;  // ґ
      case 0xBA:
        u = 0xAA;
        break;  // є
      case 0xBC:
        u = 0xA3;
        break;  // ј
      case 0xBE:
        u = 0xBD;
        break;  // ѕ
      case 0xBF:
        u = 0xAF;
        break;  // ї
      default:
        break;
    }
  return static_cast<char>(u);
}

std::string UpperCaseCyr(std::string_view text) {
  std::string out(text);
  for (auto& c : out) c = UpperCaseCyrChar(c);
  return out;
}

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return std::string(text.substr(b, e - b));
}

std::string RemoveChars(std::string_view text, std::string_view chars) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    if (chars.find(c) == std::string_view::npos) out.push_back(c);
  return out;
}

std::string ReplaceAll(std::string text, std::string_view oldText, std::string_view newText) {
  if (oldText.empty() || newText.find(oldText) != std::string_view::npos) {
    // Rescanning from the start could never finish; replace left to right once.
    if (oldText.empty()) return text;
    std::string out;
    size_t from = 0;
    for (size_t at; (at = text.find(oldText, from)) != std::string::npos; from = at + oldText.size()) {
      out.append(text, from, at - from);
      out.append(newText);
    }
    out.append(text, from, std::string::npos);
    return out;
  }
  // A replacement can only re-create oldText where it meets the text before
  // it, so the rescan may resume a little before the place just replaced.
  size_t from = 0;
  for (size_t at; (at = text.find(oldText, from)) != std::string::npos;) {
    text.replace(at, oldText.size(), newText);
    from = at >= oldText.size() ? at - oldText.size() + 1 : 0;
  }
  return text;
}

std::string ExtractField(std::string_view text, int n, std::string_view delimiters) {
  if (n < 0) return std::string();
  int field = 0;
  std::string current;
  for (const char ch : text) {
    const char c = (ch == '\r' || ch == '\n') ? ' ' : ch;
    if (delimiters.find(c) != std::string_view::npos) {
      if (field == n) return Trim(current);
      ++field;
      current.clear();
    } else if (field == n) {
      current.push_back(c);
    }
  }
  return field == n ? Trim(current) : std::string();
}

}  // namespace drovix

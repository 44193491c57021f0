#include "driver/Console.h"

#include <cstdio>

namespace drovix {
namespace {

// Replacement of each byte 0xC0..0xFF (А..я).
constexpr const char* kLetters[64] = {
    "A", "B", "W", "G", "D", "E", "ZH", "Z", "I", "J", "K", "L", "M", "N", "O", "P",
    "R", "S", "T", "U", "F", "H", "C", "CH", "SH", "SHCH", "'", "Y", "6", "E", "JU", "JA",
    "a", "b", "w", "g", "d", "e", "zh", "z", "i", "j", "k", "l", "m", "n", "o", "p",
    "r", "s", "t", "u", "f", "h", "c", "ch", "sh", "shch", "'", "y", "6", "e", "ju", "ja",
};

void Put(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

}  // namespace

std::string Transliterate(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0xC0)
      out += kLetters[c - 0xC0];
    else if (c == 0xA8)
      out += "JO";
    else if (c == 0xB8)
      out += "jo";
    else
      out.push_back(ch);
  }
  return out;
}

void ConsoleWrite(std::string_view text) {
  Put(Transliterate(text));
  std::fflush(stdout);
}

void ConsoleWriteLine(std::string_view text) {
  Put(Transliterate(text));
  Put("\n");
  std::fflush(stdout);
}

void ConsoleWriteRaw(std::string_view text) {
  Put(text);
  std::fflush(stdout);
}

}  // namespace drovix

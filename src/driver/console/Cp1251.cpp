#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

// Unicode code points of Windows-1251 bytes 0x80..0xFF (0 where the code page
// leaves the byte undefined). 0xC0..0xFF are А..я in order.
constexpr char16_t kHigh[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

bool DecodeOne(std::string_view s, size_t& i, char32_t& cp) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  int extra;
  if (c < 0x80) {
    cp = c;
    extra = 0;
  } else if ((c & 0xE0) == 0xC0) {
    cp = c & 0x1F;
    extra = 1;
  } else if ((c & 0xF0) == 0xE0) {
    cp = c & 0x0F;
    extra = 2;
  } else if ((c & 0xF8) == 0xF0) {
    cp = c & 0x07;
    extra = 3;
  } else {
    return false;
  }
  if (i + extra >= s.size() && extra > 0) return false;
  for (int k = 1; k <= extra; ++k) {
    const unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (d & 0x3F);
  }
  // Overlong forms and surrogates are not valid UTF-8.
  if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
      cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return false;
  i += extra + 1;
  return true;
}

}  // namespace

int UnicodeToCp1251(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
  for (int k = 0; k < 128; ++k)
    if (kHigh[k] == cp && cp != 0) return 0x80 + k;
  return -1;
}

std::optional<std::string> Utf8ToCp1251(std::string_view utf8, size_t* badOffset) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const size_t at = i;
    char32_t cp = 0;
    int b = -1;
    if (DecodeOne(utf8, i, cp)) b = UnicodeToCp1251(cp);
    if (b < 0) {
      if (badOffset) *badOffset = at;
      return std::nullopt;
    }
    out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string Ru(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = 0;
    if (DecodeOne(utf8, i, cp)) {
      const int b = UnicodeToCp1251(cp);
      out.push_back(b < 0 ? '?' : static_cast<char>(b));
    } else {
      out.push_back('?');
      ++i;
    }
  }
  return out;
}

bool LooksLikeUtf8(std::string_view bytes) {
  bool multi = false;
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t at = i;
    char32_t cp = 0;
    if (!DecodeOne(bytes, i, cp)) return false;
    if (i - at > 1) multi = true;
  }
  return multi;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  for (unsigned char c : cp1251) {
    char32_t cp = c < 0x80 ? c : (c >= 0xC0 ? 0x0410 + (c - 0xC0) : kHigh[c - 0x80]);
    if (cp == 0 && c != 0) cp = 0xFFFD;
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace drovix

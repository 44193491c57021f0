#include "drovix_parser/script/ScriptEncoding.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"

namespace drovix {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// 1-based number of the line holding byte offset (a line ends at LF, CR LF
// or CR).
int32_t LineOfOffset(std::string_view text, size_t offset) {
  int32_t line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
    } else if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (i < offset) ++line;
    }
  }
  return line;
}

// The code point of a well-formed sequence at offset, or -1.
int32_t CodePointAt(std::string_view text, size_t offset) {
  const auto byte = [&](size_t k) -> uint32_t {
    return offset + k < text.size() ? static_cast<unsigned char>(text[offset + k]) : 0u;
  };
  const uint32_t b0 = byte(0);
  int n = 0;
  uint32_t cp = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 1;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 2;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 3;
    cp = b0 & 0x07;
  } else {
    return -1;
  }
  for (int k = 1; k <= n; ++k) {
    const uint32_t b = byte(static_cast<size_t>(k));
    if ((b & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (b & 0x3F);
  }
  return static_cast<int32_t>(cp);
}

// The first line that is not valid UTF-8 when the script otherwise reads as
// UTF-8: more lines hold multi-byte UTF-8 sequences than lines that are not
// UTF-8 at all. A line pasted from a Windows-1251 file into a UTF-8 script
// is found this way. A script saved in Windows-1251 has almost no line that
// happens to be valid UTF-8 (two Cyrillic letters in a row never are), so
// it never qualifies. 0 when the script is not such a mix.
int32_t ForeignLineInUtf8(std::string_view text) {
  int32_t utf8Lines = 0, foreignLines = 0, firstForeign = 0, lineNo = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    ++lineNo;
    const std::string_view line = text.substr(start, end - start);
    if (LooksLikeUtf8(line)) {
      ++utf8Lines;
    } else if (std::any_of(line.begin(), line.end(), [](char c) { return (c & 0x80) != 0; })) {
      // Bytes above 127 that do not form UTF-8 (plain ASCII counts as neither).
      if (foreignLines++ == 0) firstForeign = lineNo;
    }
    if (end == text.size()) break;
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return foreignLines > 0 && utf8Lines > foreignLines ? firstForeign : 0;
}

}  // namespace

std::string DecodeScriptBytes(const std::string& bytes) {
  std::string_view text(bytes);
  const bool bom = text.substr(0, kBom.size()) == kBom;
  if (bom) {
    text.remove_prefix(kBom.size());
  } else if (!LooksLikeUtf8(text)) {
    if (const int32_t line = ForeignLineInUtf8(text))
      Raise(Format(Ru("Ошибка в строке %d.\n\rСкрипт сохранён в кодировке UTF-8, а эта строка - в "
                      "какой-то другой (похоже, в Windows-1251).\n\rПересохрани скрипт целиком в "
                      "одной кодировке: UTF-8 или Windows-1251."),
                   line));
    return bytes;
  }
  size_t bad = 0;
  if (auto converted = Utf8ToCp1251(text, &bad)) return *std::move(converted);

  const int32_t line = LineOfOffset(text, bad);
  const int32_t cp = CodePointAt(text, bad);
  if (cp < 0) {
    Raise(Format(Ru("Ошибка в строке %d.\n\rФайл начинается с метки кодировки UTF-8, но в этой "
                    "строке стоят байты, недопустимые в UTF-8.\n\rПересохрани скрипт в кодировке "
                    "UTF-8 или Windows-1251."),
                 line));
  }
  Raise(Format(Ru("Ошибка в строке %d.\n\rСкрипт сохранён в кодировке UTF-8, а символа U+%04X в "
                  "кодировке Windows-1251 нет.\n\rЗамени его или сохрани скрипт в кодировке "
                  "Windows-1251."),
               line, static_cast<unsigned>(cp)));
}

}  // namespace drovix

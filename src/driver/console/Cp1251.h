// Text inside the program is bytes in Windows-1251. Source files are UTF-8,
// so every Russian literal passes through Ru() once, here, instead of being
// spelled as byte escapes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace drovix {

// Converts UTF-8 text to Windows-1251. Characters without a Windows-1251
// code become '?'. Intended for the program's own message literals.
std::string Ru(std::string_view utf8);

// Strict conversion for user text (scripts saved as UTF-8). Returns the
// Windows-1251 bytes, or nothing when the text is not valid UTF-8 or holds a
// character without a Windows-1251 code; *badOffset then receives the byte
// offset of the offending sequence in the input.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8, size_t* badOffset = nullptr);

// The Windows-1251 byte of one Unicode code point, or -1 when it has none.
int UnicodeToCp1251(char32_t cp);

// True when the bytes are valid UTF-8 and hold at least one multi-byte sequence.
bool LooksLikeUtf8(std::string_view bytes);

// Converts Windows-1251 to UTF-8 (for tests and tools that print or compare).
std::string Cp1251ToUtf8(std::string_view cp1251);

}  // namespace drovix

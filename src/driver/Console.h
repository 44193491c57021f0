// Console output. Every Russian text reaches standard output through the
// Cyrillic-to-Latin transliteration, because the console is not assumed to
// show Windows-1251. Standard output is flushed after every write so that
// progress marks appear at once.
#pragma once

#include <string>
#include <string_view>

namespace drovix {

// Byte by byte: Russian letters of Windows-1251 become their Latin
// transcription; every other byte is copied unchanged.
std::string Transliterate(std::string_view text);

// Writes Transliterate(text) without a line end.
void ConsoleWrite(std::string_view text);
// Writes Transliterate(text) followed by LF.
void ConsoleWriteLine(std::string_view text);
// Writes plain ASCII progress marks ("." or "..") as they are.
void ConsoleWriteRaw(std::string_view text);

}  // namespace drovix

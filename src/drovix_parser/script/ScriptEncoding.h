// The script file's bytes as the reader expects them: Windows-1251.
//
// Translators often save scripts as UTF-8. A script that starts with the
// UTF-8 byte-order mark, or whose bytes are valid UTF-8 holding at least one
// multi-byte sequence, is converted to Windows-1251; one byte per character
// and every line end kept, so line numbers stay those of the file. Any other
// script is taken as Windows-1251 already and returned unchanged, unless it
// is UTF-8 but for a few lines in another code page (a line pasted from a
// Windows-1251 file): that is refused, naming the first such line.
//
// The script object runs this once on the file's bytes, before the lines are
// prepared (TParserHelper::PrepareScript receives the converted text).
#pragma once

#include <string>

namespace drovix {

// Raises EDrovixError, naming the line (1-based, as an editor counts it),
// when a UTF-8 script holds a character without a Windows-1251 code, or when
// a script with the byte-order mark is not valid UTF-8, or when a script
// that reads as UTF-8 holds a line that is not.
std::string DecodeScriptBytes(const std::string& bytes);

}  // namespace drovix

// Reads names and bracketed parameter blocks from script lines, and builds
// the syntax-error messages with their line positions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cl_Classes/TStringListWithIDs.h"

namespace drovix {

class TParserHelper : public TStringListWithIDs {
 public:
  std::string BaseFolder;  // script folder, absolute, ending in '/'
  int32_t Line = 0;        // current line index (0-based)
  int32_t Column = 1;      // current column (1-based)
  int32_t RangeFirst = -1;
  int32_t RangeLast = -1;
  bool IsScriptHead = false;

  // Script preparation: splits the text into lines (a line ends at LF, CR LF
  // or CR), trims every line of bytes 0..32, gives line k (0-based) the ID
  // k + 1 and drops empty lines and comment lines (first character ';').
  // REQUIRES: text is Windows-1251 (see DecodeScriptBytes). Raises for text
  // that cannot be a script: NUL bytes, or nothing but blanks and comments.
  // fileName names the file in messages.
  void PrepareScript(const std::string& text, const std::string& fileName);
  // Reads the whole file, converts a UTF-8 script (DecodeScriptBytes) and
  // prepares it as above. Raises when the file cannot be read.
  void LoadScriptFile(const std::string& fileName);

  // Reads a command or page name up to the next '('.
  std::string ReadName();
  // Reads one bracketed block; one result line per source line with text.
  std::unique_ptr<TStringListWithIDs> ReadParameterBlock();
  // "в строке %d" or "где-то в строках %d..%d": the lines of the last block
  // read, else (after an empty block) the line of its closing bracket, else
  // the current line.
  std::string PositionText() const;

  [[noreturn]] void RaiseSyntaxError(const std::string& expected, const std::string& got,
                                     const std::string& advice) const;
  [[noreturn]] void RaiseUnknownCommand(const std::string& name) const;
  [[noreturn]] void RaiseError(const std::string& text) const;
  [[noreturn]] void RaiseSyntaxErrorText(const std::string& text) const;

 protected:
  // While the reading position is past the end of its line, moves to column 1
  // of the next line. False when no line is left.
  bool SkipPastLineEnd();
  [[noreturn]] void RaiseEndOfLineComment() const;

 private:
  // Line number of the closing bracket of the last block read when that
  // block was empty; -1 otherwise. Positions use it in place of the current
  // line, which may already be the next one.
  int32_t emptyBlockLine_ = -1;
};

}  // namespace drovix

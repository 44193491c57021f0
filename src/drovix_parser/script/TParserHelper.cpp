#include "drovix_parser/script/TParserHelper.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_parser/script/ScriptEncoding.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {
namespace {

// Texts the user wrote are echoed in messages; a runaway line (a binary file,
// a megabyte without a bracket) is cut so that the message stays readable.
constexpr size_t kMaxEcho = 200;

std::string Echo(const std::string& text) {
  if (text.size() <= kMaxEcho) return text;
  return text.substr(0, kMaxEcho) + "...";
}

const std::string& EndOfFileText() {
  static const std::string s = Ru("полный конец обеда... то есть, файла");
  return s;
}

const std::string& BracketAdvice() {
  static const std::string s = Ru("проверь соответствие числа открывающих и закрывающих скобок.");
  return s;
}

}  // namespace

void TParserHelper::PrepareScript(const std::string& text, const std::string& fileName) {
  Clear();
  int32_t lineNo = 0;
  size_t start = 0;
  const std::string& s = text;
  while (start <= s.size()) {
    size_t end = s.find_first_of("\r\n", start);
    if (end == std::string::npos) end = s.size();
    ++lineNo;
    const std::string_view raw(s.data() + start, end - start);
    if (raw.find('\0') != std::string_view::npos)
      Raise(Format(Ru("Файл \"%s\" - не текст мангаскрипта: в строке %d стоит нулевой байт.\n\r"
                      "Скрипт должен быть сохранён как простой текст, в кодировке Windows-1251 "
                      "или UTF-8."),
                   fileName.c_str(), lineNo));
    std::string line = Trim(raw);
    if (!line.empty() && line[0] != ';') Add(std::move(line), lineNo);
    if (end == s.size()) break;
    // CR LF is one line end.
    start = end + ((s[end] == '\r' && end + 1 < s.size() && s[end + 1] == '\n') ? 2 : 1);
    if (start == s.size()) break;  // the text ends with a line end
  }
  if (Count() == 0)
    Raise(Format(Ru("Файл \"%s\" пуст: в нём нет ни одной команды, одни пробелы и комментарии."),
                 fileName.c_str()));
}

void TParserHelper::LoadScriptFile(const std::string& fileName) {
  std::error_code ec;
  if (std::filesystem::is_directory(FileSystemName(fileName), ec))
    Raise(Format(Ru("\"%s\" - это папка, а не файл мангаскрипта!"), fileName.c_str()));
  std::ifstream in(FileSystemName(fileName), std::ios::binary);
  std::ostringstream data;
  if (in) data << in.rdbuf();
  if (!in || in.bad()) Raise(Format(Ru("Не удаётся прочитать файл \"%s\"!"), fileName.c_str()));
  PrepareScript(DecodeScriptBytes(data.str()), fileName);
}

bool TParserHelper::SkipPastLineEnd() {
  while (Line < Count() && Column > static_cast<int32_t>(Strings(Line).size())) {
    ++Line;
    Column = 1;
  }
  return Line < Count();
}

std::string TParserHelper::ReadName() {
  RangeFirst = -1;
  RangeLast = -1;
  emptyBlockLine_ = -1;
  if (!SkipPastLineEnd())
    RaiseSyntaxError(
        Ru("команда или имя страницы"), EndOfFileText(),
        BracketAdvice() + Ru("\n\rПроверь, кончается ли текст закрывающей командой \"конец()\"."));
  std::string name;
  auto endsInJoint = [&name] { return !name.empty() && name.back() != '_'; };
  while (SkipPastLineEnd()) {
    const char c = Strings(Line)[static_cast<size_t>(Column - 1)];
    // A name continued on the next line is joined with '_'.
    if (Column == 1 && endsInJoint()) name.push_back('_');
    if (c == '(') break;
    if (c == ' ') {
      if (endsInJoint()) name.push_back('_');
    } else if (c == ')') {
      RaiseSyntaxError(IsScriptHead ? Ru("команда или имя страницы") : Ru("команда"),
                       Ru("закрывающая скобка"), BracketAdvice());
    } else if (c == ';') {
      RaiseEndOfLineComment();
    } else {
      name.push_back(c);
    }
    ++Column;
  }
  if (!name.empty() && name.back() == '_') name.pop_back();
  return name;
}

std::unique_ptr<TStringListWithIDs> TParserHelper::ReadParameterBlock() {
  RangeFirst = -1;
  RangeLast = -1;
  emptyBlockLine_ = -1;
  auto result = std::make_unique<TStringListWithIDs>();
  while (SkipPastLineEnd() && Strings(Line)[static_cast<size_t>(Column - 1)] == ' ') ++Column;
  if (!SkipPastLineEnd()) RaiseSyntaxError(Ru("открывающая скобка"), EndOfFileText(), BracketAdvice());
  const std::string& first = Strings(Line);
  const char c0 = first[static_cast<size_t>(Column - 1)];
  if (c0 == ';') RaiseEndOfLineComment();
  if (c0 != '(')
    RaiseSyntaxError(Ru("открывающая скобка"),
                     "\"" + Echo(first.substr(static_cast<size_t>(Column - 1))) + "\"", "");
  const int32_t openingLine = GetID(Line);
  ++Column;

  int32_t depth = 1;
  int32_t closingLine = -1;
  std::string buffer;
  auto flush = [&](int32_t id) {
    std::string t = Trim(buffer);
    if (!t.empty()) result->Add(std::move(t), id);
    buffer.clear();
  };
  while (depth >= 1 && SkipPastLineEnd()) {
    // Take the rest of the line in one go up to the next bracket.
    const std::string& line = Strings(Line);
    const size_t from = static_cast<size_t>(Column - 1);
    const size_t at = line.find_first_of("()", from);
    const size_t stop = at == std::string::npos ? line.size() : at;
    buffer.append(line, from, stop - from);
    Column = static_cast<int32_t>(stop) + 1;
    if (at != std::string::npos) {
      if (line[at] == '(') {
        ++depth;
      } else if (--depth == 0) {
        closingLine = GetID(Line);
        flush(closingLine);
        ++Column;
        break;
      }
      buffer.push_back(line[at]);
      ++Column;
    }
    if (Column > static_cast<int32_t>(line.size())) flush(GetID(Line));
  }
  if (result->Count() > 0) {
    RangeFirst = result->GetID(0);
    RangeLast = result->GetID(result->Count() - 1);
  } else {
    // "()" at the end of a line leaves the reading position on the next line;
    // a rule error about the command must still name the command's line.
    emptyBlockLine_ = closingLine;
  }
  if (depth > 0 && IsScriptHead) {
    // The block never closed: the range runs from its opening bracket, the
    // line to look at, to the end of the file.
    RangeFirst = openingLine;
    RangeLast = GetID(Count() - 1);
    RaiseSyntaxError(Format(Ru("оcтатняя часть параметра команды или описания страницы,\n\r включая %d "
                               "закрывающих скобок"),
                            depth),
                     Ru(" неожиданный, и даже какой-то обидный, конец файла"), " " + BracketAdvice());
  }
  SkipPastLineEnd();
  return result;
}

std::string TParserHelper::PositionText() const {
  if (RangeLast < 0) return Format(Ru("в строке %d"), emptyBlockLine_ >= 0 ? emptyBlockLine_ : GetID(Line));
  if (RangeFirst == RangeLast) return Format(Ru("в строке %d"), RangeFirst);
  return Format(Ru("где-то в строках %d..%d"), RangeFirst, RangeLast);
}

void TParserHelper::RaiseSyntaxError(const std::string& expected, const std::string& got,
                                     const std::string& advice) const {
  std::string m = Ru("Синтаксическая ошибка ") + PositionText() + Ru(".\n\rОжидалось: ") + expected +
                  Ru(",\n\rа имеем: ") + got;
  if (!advice.empty()) m += Ru("\n\rРекомендации: ") + advice;
  Raise(m);
}

void TParserHelper::RaiseUnknownCommand(const std::string& name) const {
  Raise(Ru("Синтаксическая ошибка ") + PositionText() + Ru(".\n\rНеизвестная команда \"") + Echo(name) +
        "\".");
}

void TParserHelper::RaiseError(const std::string& text) const {
  Raise(Ru("Ошибка ") + PositionText() + ".\n\r" + text);
}

void TParserHelper::RaiseSyntaxErrorText(const std::string& text) const {
  Raise(Ru("Синтаксическая ошибка ") + PositionText() + ".\n\r" + text);
}

void TParserHelper::RaiseEndOfLineComment() const {
  RaiseSyntaxErrorText(
      Ru("Комментарии в конце строк не допускаются!\n\rКомментарий должен быть отдельной строкой, "
         "начинающейся с точки с запятой (\";\")\n\rАдминистрация.. гм... приносит свои извинения "
         "за доставленные неудобства."));
}

}  // namespace drovix

#include "drovix_parser/script/CommandTable.h"

#include <array>

#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

constexpr long double kNoLimit = 2147483647;

using V = TCommandValue;
using S = TPageSettings;

// In TCommand order.
constexpr std::array<TCommandInfo, NOTACOMMAND + 1> kCommands = {{
    {"МАНГА", PHEAD, V::Own},
    {"КОНЕЦ", PHEAD, V::Own},
    {"ПРЕФИКС_ИМЕНИ_ФАЙЛА", PHEAD, V::Own},
    {"ШРИФТ", PHEAD, V::Own},
    {"РАЗМЕР_ШРИФТА", PHEAD | PREPEAT, V::Integer, 5, 100, &S::FontSize},
    {"МИНИМАЛЬНЫЙ_РАЗМЕР_ШРИФТА", PHEAD, V::Integer, 5, 100, &S::MinFontSize},
    {"ДОПУСТИМОЕ_СЖАТИЕ_ТЕКСТА", PHEAD | PPAGE, V::Integer, 0, 70, &S::MaxFontCompression},
    {"ЗВУК", PREPEAT, V::Own},
    {"МОЩНОСТЬ_ОЧИСТКИ", PHEAD | PPAGE, V::Integer, 0, 100, &S::CleaningPower},
    {"ТЕКСТУРА", PHEAD, V::Own},
    {"ГЛУБИНА_ЦВЕТА", PHEAD | PPAGE, V::Own},
    {"ЗАПРЕТИТЬ_ПНГ", PHEAD, V::Own},
    {"МИНИМАЛЬНАЯ_ШИРИНА", PHEAD | PPAGE, V::Integer, 200, 4100, &S::MinWidth},
    {"МАКСИМАЛЬНАЯ_ШИРИНА", PHEAD | PPAGE, V::Integer, 200, 4100, &S::MaxWidth},
    {"МИНИМАЛЬНАЯ_ВЫСОТА", PHEAD | PPAGE, V::Integer, 200, 4100, &S::MinHeight},
    {"МАКСИМАЛЬНАЯ_ВЫСОТА", PHEAD | PPAGE, V::Integer, 200, 4100, &S::MaxHeight},
    {"СНЯТЬ_ОГРАНИЧЕНИЯ_ПО_РАЗМЕРУ", PHEAD | PPAGE, V::Own},
    {"МАСШТАБИРОВАТЬ_ДО_ОБРАБОТКИ", PHEAD | PPAGE, V::Constant, 1, 0, &S::ScaleBefore},
    {"МАСШТАБИРОВАТЬ_ПОСЛЕ_ОБРАБОТКИ", PHEAD | PPAGE, V::Constant, 0, 0, &S::ScaleBefore},
    {"ДЛЯ_КОНЧЕНЫХ_ОТАКУ", PHEAD, V::Own},
    {"ЦВЕТНЫЕ_СКАНЫ", PHEAD | PPAGE, V::Constant, 1, 0, &S::ColorScans},
    {"ЧЁРНО-БЕЛЫЕ_СКАНЫ", PHEAD | PPAGE, V::Constant, 0, 0, &S::ColorScans},
    {"ТИПОВЫЕ_БАЛОНЫ", PHEAD | PREPEAT, V::Own},
    {"ТИПОВЫЕ_НЕГАТИВНЫЕ_БАЛОНЫ", PNOWHERE, V::Own},
    {"ФОН_БАЛОНОВ", PHEAD | PREPEAT, V::Own},
    {"ПРОЗРАЧНЫЕ_БАЛОНЫ", PHEAD | PREPEAT, V::Constant, -1, 0, &S::BalonBackground},
    {"СВОЙСТВА_ТЕКСТА", PHEAD | PREPEAT, V::Own},
    {"МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ", PHEAD | PREPEAT, V::Number, 0.5L, 5.0L, nullptr, &S::LineSpacing},
    {"ЗАПРЕТИТЬ_АВТОПЕРЕНОСЫ", PHEAD | PPAGE, V::Constant, kNoLimit, 0, &S::MinHyphenWordLength},
    {"МИНИМАЛЬНАЯ_ДЛИНА_СЛОВА_ДЛЯ_АВТОПЕРЕНОСА", PHEAD | PPAGE, V::Integer, 3, kNoLimit,
     &S::MinHyphenWordLength},
    {"ОТВРАЩЕНИЕ_К_СЖАТИЮ", PHEAD | PPAGE, V::Number, 0, 10, nullptr, &S::CompressionLoathing},
    {"ОТВРАЩЕНИЕ_К_КОРОТКИМ СТРОКАМ", PHEAD | PPAGE, V::Number, 0, 10, nullptr, &S::ShortLinesLoathing},
    {"ОТВРАЩЕНИЕ_К_ПЕРЕНОСАМ", PHEAD | PPAGE, V::Number, 0, 10, nullptr, &S::TransitionsLoathing},
    {"ОТВРАЩЕНИЕ_К_НЕЦЕНТРОВКЕ", PHEAD | PPAGE, V::Number, 0, 10, nullptr, &S::DeviationsLoathing},
    {"МЕТОД_ЗАМАЗКИ", PHEAD | PPAGE, V::Own},
    {"КАЧЕСТВО_ЗАМАЗКИ", PHEAD | PPAGE, V::Own},
    {"ЗАМАЗЫВАТЬ_В_БАЛОНАХ", PHEAD | PREPEAT, V::Own},
    {"НЕ_ЗАМАЗЫВАТЬ_В_БАЛОНАХ", PHEAD | PREPEAT, V::Own},
    {"ЧЕРНОВИК", PHEAD, V::Own},
    {"ДАВИТЬ_ЗЕРНО", PHEAD | PPAGE, V::Integer, 2, 5, &S::KillPatterns},
    {"НЕ_ДАВИТЬ_ЗЕРНО", PHEAD | PPAGE, V::Constant, 0, 0, &S::KillPatterns},
    {"ЧИСТОВИК", PHEAD, V::Own},
    {"БАЛОН", PNOWHERE, V::Own},
    {"", PREPEAT, V::Own},
    {"", PNOWHERE, V::Own},
}};

struct Keywords {
  std::array<std::string, NOTACOMMAND + 1> text;    // Windows-1251, as in messages
  std::array<std::string, NOTACOMMAND + 1> asRead;  // blanks read as '_'
};

const Keywords& KeywordTable() {
  static const Keywords k = [] {
    Keywords t;
    for (size_t i = 0; i < kCommands.size(); ++i) {
      t.text[i] = Ru(kCommands[i].Keyword);
      t.asRead[i] = t.text[i];
      for (auto& c : t.asRead[i])
        if (c == ' ') c = '_';
    }
    return t;
  }();
  return k;
}

}  // namespace

const TCommandInfo& CommandInfo(TCommand command) {
  return kCommands[command <= NOTACOMMAND ? command : NOTACOMMAND];
}

const std::string& CommandKeyword(TCommand command) {
  return KeywordTable().text[command <= NOTACOMMAND ? command : NOTACOMMAND];
}

bool LookUpCommand(const std::string& upperName, TCommand& command) {
  const auto& table = KeywordTable().asRead;
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i] == upperName) {
      const auto c = static_cast<TCommand>(i);
      command = c == CALTBALON ? CBALON : c;
      return true;
    }
  }
  return false;
}

}  // namespace drovix

#include "drovix_parser/script/TParamsContainer.h"

#include <array>
#include <charconv>
#include <cstdlib>
#include <limits>

#include "driver/Console.h"
#include "driver/Cp1251.h"
#include "driver/Error.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/typeset/FontSheetMaker.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {
namespace {

constexpr int32_t kNoLimit = 2147483647;

// Where a command may stand.
enum Place : uint8_t {
  kNowhere = 0,
  kHead = 1,        // script head (some only before the first page: the run checks that)
  kPage = 2,        // inside a page, once, before its balloons and sounds
  kRepeat = 4 | 2,  // inside a page, any number of times, anywhere
};

struct CommandInfo {
  const char* keyword;  // UTF-8
  uint8_t place;
};

// In TCommand order.
constexpr std::array<CommandInfo, NOTACOMMAND + 1> kCommands = {{
    {"МАНГА", kHead},
    {"КОНЕЦ", kHead},
    {"ПРЕФИКС_ИМЕНИ_ФАЙЛА", kHead},
    {"ШРИФТ", kHead},
    {"РАЗМЕР_ШРИФТА", kHead | kRepeat},
    {"МИНИМАЛЬНЫЙ_РАЗМЕР_ШРИФТА", kHead},
    {"ДОПУСТИМОЕ_СЖАТИЕ_ТЕКСТА", kHead | kPage},
    {"ЗВУК", kRepeat},
    {"МОЩНОСТЬ_ОЧИСТКИ", kHead | kPage},
    {"ТЕКСТУРА", kHead},
    {"ГЛУБИНА_ЦВЕТА", kHead | kPage},
    {"ЗАПРЕТИТЬ_ПНГ", kHead},
    {"МИНИМАЛЬНАЯ_ШИРИНА", kHead | kPage},
    {"МАКСИМАЛЬНАЯ_ШИРИНА", kHead | kPage},
    {"МИНИМАЛЬНАЯ_ВЫСОТА", kHead | kPage},
    {"МАКСИМАЛЬНАЯ_ВЫСОТА", kHead | kPage},
    {"СНЯТЬ_ОГРАНИЧЕНИЯ_ПО_РАЗМЕРУ", kHead | kPage},
    {"МАСШТАБИРОВАТЬ_ДО_ОБРАБОТКИ", kHead | kPage},
    {"МАСШТАБИРОВАТЬ_ПОСЛЕ_ОБРАБОТКИ", kHead | kPage},
    {"ДЛЯ_КОНЧЕНЫХ_ОТАКУ", kHead},
    {"ЦВЕТНЫЕ_СКАНЫ", kHead | kPage},
    {"ЧЁРНО-БЕЛЫЕ_СКАНЫ", kHead | kPage},
    {"ТИПОВЫЕ_БАЛОНЫ", kHead | kRepeat},
    {"ТИПОВЫЕ_НЕГАТИВНЫЕ_БАЛОНЫ", kNowhere},
    {"ФОН_БАЛОНОВ", kHead | kRepeat},
    {"ПРОЗРАЧНЫЕ_БАЛОНЫ", kHead | kRepeat},
    {"СВОЙСТВА_ТЕКСТА", kHead | kRepeat},
    {"МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ", kHead | kRepeat},
    {"ЗАПРЕТИТЬ_АВТОПЕРЕНОСЫ", kHead | kPage},
    {"МИНИМАЛЬНАЯ_ДЛИНА_СЛОВА_ДЛЯ_АВТОПЕРЕНОСА", kHead | kPage},
    {"ОТВРАЩЕНИЕ_К_СЖАТИЮ", kHead | kPage},
    {"ОТВРАЩЕНИЕ_К_КОРОТКИМ СТРОКАМ", kHead | kPage},
    {"ОТВРАЩЕНИЕ_К_ПЕРЕНОСАМ", kHead | kPage},
    {"ОТВРАЩЕНИЕ_К_НЕЦЕНТРОВКЕ", kHead | kPage},
    {"МЕТОД_ЗАМАЗКИ", kHead | kPage},
    {"КАЧЕСТВО_ЗАМАЗКИ", kHead | kPage},
    {"ЗАМАЗЫВАТЬ_В_БАЛОНАХ", kHead | kRepeat},
    {"НЕ_ЗАМАЗЫВАТЬ_В_БАЛОНАХ", kHead | kRepeat},
    {"ЧЕРНОВИК", kHead},
    {"ДАВИТЬ_ЗЕРНО", kHead | kPage},
    {"НЕ_ДАВИТЬ_ЗЕРНО", kHead | kPage},
    {"ЧИСТОВИК", kHead},
    {"БАЛОН", kNowhere},
    {"", kRepeat},
    {"", kNowhere},
}};

struct Keywords {
  std::array<std::string, NOTACOMMAND + 1> text;     // Windows-1251, as in messages
  std::array<std::string, NOTACOMMAND + 1> asRead;   // blanks read as '_'
};

const Keywords& KeywordTable() {
  static const Keywords k = [] {
    Keywords t;
    for (size_t i = 0; i < kCommands.size(); ++i) {
      t.text[i] = Ru(kCommands[i].keyword);
      t.asRead[i] = t.text[i];
      for (auto& c : t.asRead[i])
        if (c == ' ') c = '_';
    }
    return t;
  }();
  return k;
}

const std::array<std::string, 9>& SmearNames() {
  static const std::array<std::string, 9> names = {
      "", Ru("ПРОСТАЯ"), Ru("ЖЁСТКАЯ"), Ru("КРУЖАВЧИКАМИ"), Ru("УЛУЧШЕННАЯ"), Ru("ХИТРАЯ"), "", "", Ru("УЗОРНАЯ")};
  return names;
}

std::string QuotedCommand(TCommand command) {
  return Ru("Команда \"") + CommandKeyword(command) + "()\"";
}

// Strict decimal integer: optional sign, digits, nothing else.
bool ParseInteger(const std::string& s, int64_t& value) {
  const char* b = s.data();
  const char* e = s.data() + s.size();
  if (b != e && *b == '+') ++b;
  if (b == e || *b == '+') return false;
  const auto r = std::from_chars(b, e, value);
  return r.ec == std::errc() && r.ptr == e;
}

// Decimal number with '.' as the mark whatever the locale: optional sign,
// digits with at most one '.', optional exponent. No inf, nan or hex.
bool ParseNumber(const std::string& s, long double& value) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const size_t start = i;
  bool digits = false, dot = false;
  for (; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9')
      digits = true;
    else if (s[i] == '.' && !dot)
      dot = true;
    else
      break;
  }
  if (!digits) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j == s.size()) return false;
    for (; j < s.size(); ++j)
      if (s[j] < '0' || s[j] > '9') return false;
    i = j;
  }
  if (i != s.size()) return false;
  long double v = 0;
  const char* b = s.data() + start;
  const auto r = std::from_chars(b, s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  value = (start > 0 && s[0] == '-') ? -v : v;
  return true;
}

}  // namespace

const std::string& CommandKeyword(TCommand command) {
  return KeywordTable().text[command <= NOTACOMMAND ? command : NOTACOMMAND];
}

const std::string& SmearMethodName(TSmear method) {
  return SmearNames()[method < SmearNames().size() ? method : 0];
}

std::string NormalizeTextureId(const std::string& text) {
  const std::string up = UpperCaseCyr(text);
  std::string out;
  bool pending = false;
  for (const char c : up) {
    if (c == ' ' || c == '_' || c == '\r' || c == '\n') {
      pending = true;
    } else {
      if (pending && !out.empty()) out.push_back('_');
      pending = false;
      out.push_back(c);
    }
  }
  return out;  // a trailing run was never written
}

TParamsContainer::TParamsContainer() = default;
TParamsContainer::~TParamsContainer() = default;

TCommand TParamsContainer::FindCommand(const std::string& name) const {
  const std::string up = UpperCaseCyr(name);
  const auto& table = KeywordTable().asRead;
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i] == up) {
      const auto c = static_cast<TCommand>(i);
      return c == CALTBALON ? CBALON : c;
    }
  }
  RaiseUnknownCommand(name);
}

// --- value readers ---

std::string TParamsContainer::CleanValueText(const std::string& text) {
  return Trim(RemoveChars(text, "\n\r%"));
}

bool TParamsContainer::TryReadInteger(const std::string& text, int32_t lo, int32_t hi,
                                      int32_t& value) {
  int64_t v = 0;
  if (!ParseInteger(CleanValueText(text), v) || v < lo || v > hi) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool TParamsContainer::TryReadNumber(const std::string& text, long double lo, long double hi,
                                     long double& value) {
  long double v = 0;
  if (!ParseNumber(CleanValueText(text), v)) return false;
  if (!(lo - 0.001L <= v && v <= hi + 0.001L)) return false;
  value = v;
  return true;
}

bool TParamsContainer::TryReadColor(const std::string& text, int32_t& value) {
  const std::string f1 = ExtractField(text, 1, "%");
  const std::string f2 = ExtractField(text, 2, "%");
  const std::string f3 = ExtractField(text, 3, "%");
  int32_t r = 0, g = 0, b = 0;
  if (f2.empty() && f3.empty()) {
    if (!TryReadInteger(f1, 0, 255, g)) return false;
    value = g;
    return true;
  }
  if (!TryReadInteger(f1, 0, 255, r) || !TryReadInteger(f2, 0, 255, g) ||
      !TryReadInteger(f3, 0, 255, b))
    return false;
  value = 16777216 + r * 65536 + g * 256 + b;
  return true;
}

int32_t TParamsContainer::ReadInteger(const std::string& text, int32_t lo, int32_t hi) const {
  int32_t v = 0;
  if (!TryReadInteger(text, lo, hi, v))
    RaiseSyntaxError(Format(Ru("целочисленный параметр в диапазоне от %d до %d"), lo, hi),
                     CleanValueText(text), "");
  return v;
}

long double TParamsContainer::ReadNumber(const std::string& text, long double lo,
                                         long double hi) const {
  long double v = 0;
  if (!TryReadNumber(text, lo, hi, v))
    RaiseSyntaxError(Format(Ru("число в диапазоне от %f до %f"), static_cast<double>(lo),
                            static_cast<double>(hi)),
                     CleanValueText(text), "");
  return v;
}

int32_t TParamsContainer::ReadPaletteDepth(const std::string& text) const {
  int32_t v = 0;
  if (!TryReadInteger(text, 2, 8, v) || (v != 2 && v != 4 && v != 8))
    RaiseSyntaxError(Ru("целочисленный параметр со значением 2, 4 или 8"), CleanValueText(text),
                     "");
  return v;
}

int32_t TParamsContainer::ReadColor(const std::string& text) const {
  int32_t v = 0;
  if (!TryReadColor(text, v))
    RaiseSyntaxError(Ru("целочисленный параметр со значением от 0 до 255, или три целочисленных "
                        "параметра от 0 до 255, разделённых '%'-ми"),
                     text, "");
  return v;
}

TSmear TParamsContainer::ReadSmearMethod(const std::string& text) const {
  const std::string up = UpperCaseCyr(Trim(text));
  const auto& names = SmearNames();
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == up) return static_cast<TSmear>(i);
  RaiseSyntaxErrorText(Ru("Неизвестный метод замазки \"") + up + "\".");
}

// --- commands ---

void TParamsContainer::ApplyCommand(TCommand command, const TStringListWithIDs& block) {
  if (command == CALTBALON) command = CBALON;
  if (command >= NOTACOMMAND) RaiseUnknownCommand("");
  const uint8_t place = kCommands[command].place;
  if (IsScriptHead) {
    if (!(place & kHead))
      RaiseError(QuotedCommand(command) + Ru(" может применяться только внутри описания страницы!"));
  } else {
    if (!(place & kPage))
      RaiseError(QuotedCommand(command) + Ru(" не допускается внутри описания страницы!"));
    if ((place & kRepeat) != kRepeat) {
      if (UsedCommands.count(command))
        RaiseError(QuotedCommand(command) + Ru(" уже была задана для этой страницы!"));
      if (!Balons.empty() || !Sounds.empty())
        RaiseError(QuotedCommand(command) + Ru(" должна стоять ДО описания балонов и звуков!"));
      UsedCommands.insert(command);
    }
  }

  const std::string text = block.AsOneLine();
  switch (command) {
    case CBEGIN:
      RaiseError(Ru("Открывающая команда \"") + CommandKeyword(CBEGIN) +
                 Ru("()\" позволена только один раз, в начале файла."));
    case CEND:
      break;  // the run stops at КОНЕЦ() before it gets here
    case CNAMEPREFIX:
      NamePrefix = text;
      break;
    case CFONT:
      ReadFontList(text);
      break;
    case CFONTSIZE:
      FontSize = ReadInteger(text, 5, 100);
      break;
    case CMINFONTSIZE:
      MinFontSize = ReadInteger(text, 5, 100);
      break;
    case CMAXFONTCOMPRESSION:
      MaxFontCompression = ReadInteger(text, 0, 70);
      break;
    case CSFX:
      if (!Balons.empty()) RaiseError(Ru("Все звуки должны быть описаны ДО балонов!"));
      ApplyPageEntry(CSFX, block);
      break;
    case CCLEANINGPOWER:
      CleaningPower = ReadInteger(text, 0, 100);
      break;
    case CTEXTURE:
      ReadTextureDefinition(text);
      break;
    case CPALETTEDEPTH:
      PaletteDepth = ReadPaletteDepth(text);
      break;
    case CDISABLEPNG:
      DisablePng();
      break;
    case CMINWIDTH:
      MinWidth = ReadInteger(text, 200, 4100);
      if (MinWidth > MaxWidth)
        RaiseError(Format(Ru("Заданное значение минимальной ширины (%d) больше ранее заданного "
                             "значения максимальной ширины (%d)!"),
                          MinWidth, MaxWidth));
      break;
    case CMAXWIDTH:
      MaxWidth = ReadInteger(text, 200, 4100);
      if (MinWidth > MaxWidth)
        RaiseError(Format(Ru("Заданное значение максимальной ширины (%d) больше ранее заданного "
                             "значения минимальной ширины (%d)!"),
                          MaxWidth, MinWidth));
      break;
    case CMINHEIGHT:
      MinHeight = ReadInteger(text, 200, 4100);
      if (MinHeight > MaxHeight)
        RaiseError(Format(Ru("Заданное значение минимальной высоты (%d) больше ранее заданного "
                             "значения максимальной высоты (%d)!"),
                          MinHeight, MaxHeight));
      break;
    case CMAXHEIGHT:
      MaxHeight = ReadInteger(text, 200, 4100);
      if (MinHeight > MaxHeight)
        RaiseError(Format(Ru("Заданное значение максимальной высоты (%d) больше ранее заданного "
                             "значения минимальной высоты (%d)!"),
                          MaxHeight, MinHeight));
      break;
    case CDONTSCALE:
      MinWidth = 200;
      MaxWidth = kNoLimit;
      MinHeight = 200;
      MaxHeight = kNoLimit;
      break;
    case CSCALEBEFORE:
      ScaleBefore = 1;
      break;
    case CSCALEAFTER:
      ScaleBefore = 0;
      break;
    case CHARDCOREMANIA:
      SetHardcoreMania();
      break;
    case CCOLOR:
      ColorScans = 1;
      break;
    case CBLACKANDWHITE:
      ColorScans = 0;
      break;
    case CSTDBALONS:
      BalonBackground = 255;
      BalonsPars = "%0,0,0.7";
      break;
    case CSTDNEGABALONS:
      break;  // refused above in both places
    case CBALONSBGR:
      BalonBackground = ReadColor(ResolveTexture(text));
      break;
    case CTRANSPARENTBALONSBGR:
      BalonBackground = -1;
      break;
    case CBALONSPARS:
      BalonsPars = ParseSoundOrTextLayers(text, false);
      break;
    case CLINESPACING:
      LineSpacing = static_cast<float>(ReadNumber(text, 0.5L, 5.0L));
      break;
    case CDISABLEAUTOHYPENS:
      MinHyphenWordLength = kNoLimit;
      break;
    case CAUTOHYPENS:
      MinHyphenWordLength = ReadInteger(text, 3, kNoLimit);
      break;
    case CCOMPRESSIONLOATHING:
      CompressionLoathing = static_cast<float>(ReadNumber(text, 0, 10));
      break;
    case CSHORTLINESLOATHING:
      ShortLinesLoathing = static_cast<float>(ReadNumber(text, 0, 10));
      break;
    case CTRANSITIONSLOATHING:
      TransitionsLoathing = static_cast<float>(ReadNumber(text, 0, 10));
      break;
    case CDEVIATIONSLOATHING:
      DeviationsLoathing = static_cast<float>(ReadNumber(text, 0, 10));
      break;
    case CSMEARMETOD:
      SmearMethod = ReadSmearMethod(text);
      break;
    case CSMEARPOWER:
      // A draft build does no careful cleaning; the setting is not even read.
      if (SmearPower != 0) SmearPower = ReadInteger(text, 1, 100);
      break;
    case CSMEARINBALONS:
      SmearInBalons = ParseLayers(text, 2);
      break;
    case CDONTSMEARINBALONS:
      SmearInBalons.clear();
      break;
    case CDRAFT:
      if (GetQuality() == 1) RaiseQualityConflict();
      SetQuality(-1);
      SmearPower = 0;
      break;
    case CKILLPATTERNS:
      KillPatterns = ReadInteger(text, 2, 5);
      break;
    case CDONTKILLPATTERNS:
      KillPatterns = 0;
      break;
    case CRELIZ:
      if (GetQuality() == -1) RaiseQualityConflict();
      SetQuality(1);
      break;
    case CALTBALON:
    case CBALON:
      ApplyPageEntry(CBALON, block);
      break;
    case NOTACOMMAND:
      break;
  }
}

void TParamsContainer::ReadFontList(const std::string& text) {
  if (HasFonts()) RaiseError(Ru("Команда \"ШРИФТ()\" даётся ОДИН раз! И этот раз уже был."));
  int32_t n = 0;
  for (;; ++n) {
    const std::string name = ExtractField(text, n, ",");
    if (name.empty()) break;
    if (n == 10) RaiseError(Ru("Разрешается не более десяти шрифтов!"));
    // A face file may also be given by its absolute path; sheet names are
    // always taken from the script folder.
    SetFont(n, IsFontFaceFile(name) && name[0] == '/' ? name : BaseFolder + name);
    ConsoleWriteRaw(".");
  }
  if (n < 3)
    RaiseError(Ru("У команды ШРИФТ() должно быть минимум три параметра: имена файлов для "
                  "нормального, жирного и курсива."));
}

void TParamsContainer::ReadTextureDefinition(const std::string& text) {
  const std::string id = NormalizeTextureId(ExtractField(text, 0, ","));
  const std::string value = ExtractField(text, 1, ",");
  if (id.empty() || value.empty())
    RaiseSyntaxError(
        Ru("Команда в формате \"ТЕКСТУРА( <идентификатор>, <имя файла | %яркость>)\""),
        Ru("\"ТЕКСТУРА ( ") + text + ")\"", "");
  if (id.find('%') != std::string::npos)
    RaiseSyntaxErrorText(
        Ru("Символ процента в имени текстуры НЕ ДОПУСКАЕТСЯ.\n\rНи под каким соусом."));
  if (value[0] == '%') ReadColor(value);
  DefineTexture(id, value);
}

void TParamsContainer::RaiseQualityConflict() const {
  RaiseError(
      Ru("Команды \"ЧЕРНОВИК()\" и \"ЧИСТОВИК()\" в одной манге одновременно не допускаются. Это "
         "распространяется и на дублирующие их ключи коммандной строки \"-d\" и \"-r\"."));
}

// --- hooks: a page never reaches these (ApplyCommand refuses the commands first) ---

namespace {
[[noreturn]] void RaiseMisplacedHook(const char* what) {
  Raise(Ru("Внутренняя ошибка: ") + what + Ru(" - не здесь."));
}
}  // namespace

void TParamsContainer::SetFont(int32_t, const std::string&) { RaiseMisplacedHook("SetFont"); }
void TParamsContainer::SetQuality(int32_t) { RaiseMisplacedHook("SetQuality"); }
void TParamsContainer::DefineTexture(const std::string&, const std::string&) {
  RaiseMisplacedHook("DefineTexture");
}
void TParamsContainer::SetHardcoreMania() { RaiseMisplacedHook("SetHardcoreMania"); }
void TParamsContainer::ApplyPageEntry(TCommand, const TStringListWithIDs&) {
  RaiseMisplacedHook("ApplyPageEntry");
}

}  // namespace drovix

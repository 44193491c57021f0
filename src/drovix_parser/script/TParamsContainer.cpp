#include "drovix_parser/script/TParamsContainer.h"

#include <array>

#include "cl_Classes/NumberReader.h"
#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/typeset/FontSheetMaker.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {
namespace {

constexpr int32_t kNoLimit = 2147483647;

const std::array<std::string, 9>& SmearNames() {
  static const std::array<std::string, 9> names = {
      "", Ru("ПРОСТАЯ"), Ru("ЖЁСТКАЯ"), Ru("КРУЖАВЧИКАМИ"), Ru("УЛУЧШЕННАЯ"), Ru("ХИТРАЯ"), "",
      "", Ru("УЗОРНАЯ")};
  return names;
}

std::string QuotedCommand(TCommand command) { return Ru("Команда \"") + CommandKeyword(command) + "()\""; }

}  // namespace

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
  TCommand command = NOTACOMMAND;
  if (!LookUpCommand(UpperCaseCyr(name), command)) RaiseUnknownCommand(name);
  return command;
}

// --- value readers ---

std::string TParamsContainer::CleanValueText(const std::string& text) {
  return Trim(RemoveChars(text, "\n\r%"));
}

bool TParamsContainer::TryReadInteger(const std::string& text, int32_t lo, int32_t hi, int32_t& value) {
  int64_t v = 0;
  if (!ReadDecimalInteger(CleanValueText(text), v) || v < lo || v > hi) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool TParamsContainer::TryReadNumber(const std::string& text, long double lo, long double hi,
                                     long double& value) {
  long double v = 0;
  if (!ReadDecimalNumber(CleanValueText(text), v)) return false;
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
  if (!TryReadInteger(f1, 0, 255, r) || !TryReadInteger(f2, 0, 255, g) || !TryReadInteger(f3, 0, 255, b))
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

long double TParamsContainer::ReadNumber(const std::string& text, long double lo, long double hi) const {
  long double v = 0;
  if (!TryReadNumber(text, lo, hi, v))
    RaiseSyntaxError(
        Format(Ru("число в диапазоне от %f до %f"), static_cast<double>(lo), static_cast<double>(hi)),
        CleanValueText(text), "");
  return v;
}

int32_t TParamsContainer::ReadPaletteDepth(const std::string& text) const {
  int32_t v = 0;
  if (!TryReadInteger(text, 2, 8, v) || (v != 2 && v != 4 && v != 8))
    RaiseSyntaxError(Ru("целочисленный параметр со значением 2, 4 или 8"), CleanValueText(text), "");
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
  CheckPlace(command);

  const TCommandInfo& info = CommandInfo(command);
  const std::string text = block.AsOneLine();
  switch (info.Value) {
    case TCommandValue::Integer:
      this->*info.Integer = ReadInteger(text, static_cast<int32_t>(info.Lo), static_cast<int32_t>(info.Hi));
      break;
    case TCommandValue::Number:
      this->*info.Number = static_cast<float>(ReadNumber(text, info.Lo, info.Hi));
      break;
    case TCommandValue::Constant:
      this->*info.Integer = static_cast<int32_t>(info.Lo);
      break;
    case TCommandValue::Own:
      ApplyOwnCommand(command, block, text);
      break;
  }
  CheckSizeLimits(command);
}

void TParamsContainer::CheckPlace(TCommand command) {
  const uint8_t place = CommandInfo(command).Place;
  if (IsScriptHead) {
    if (!(place & PHEAD))
      RaiseError(QuotedCommand(command) + Ru(" может применяться только внутри описания страницы!"));
    return;
  }
  if (!(place & PPAGE)) RaiseError(QuotedCommand(command) + Ru(" не допускается внутри описания страницы!"));
  if ((place & PREPEAT) == PREPEAT) return;
  if (UsedCommands.count(command))
    RaiseError(QuotedCommand(command) + Ru(" уже была задана для этой страницы!"));
  if (!Balons.empty() || !Sounds.empty())
    RaiseError(QuotedCommand(command) + Ru(" должна стоять ДО описания балонов и звуков!"));
  UsedCommands.insert(command);
}

void TParamsContainer::CheckSizeLimits(TCommand command) const {
  const char* format = nullptr;
  int32_t given = 0, other = 0;
  switch (command) {
    case CMINWIDTH:
      format =
          "Заданное значение минимальной ширины (%d) больше ранее заданного значения "
          "максимальной ширины (%d)!";
      given = MinWidth;
      other = MaxWidth;
      break;
    case CMAXWIDTH:
      format =
          "Заданное значение максимальной ширины (%d) больше ранее заданного значения "
          "минимальной ширины (%d)!";
      given = MaxWidth;
      other = MinWidth;
      break;
    case CMINHEIGHT:
      format =
          "Заданное значение минимальной высоты (%d) больше ранее заданного значения "
          "максимальной высоты (%d)!";
      given = MinHeight;
      other = MaxHeight;
      break;
    case CMAXHEIGHT:
      format =
          "Заданное значение максимальной высоты (%d) больше ранее заданного значения "
          "минимальной высоты (%d)!";
      given = MaxHeight;
      other = MinHeight;
      break;
    default:
      return;
  }
  const bool width = command == CMINWIDTH || command == CMAXWIDTH;
  if (width ? MinWidth > MaxWidth : MinHeight > MaxHeight) RaiseError(Format(Ru(format), given, other));
}

void TParamsContainer::ApplyOwnCommand(TCommand command, const TStringListWithIDs& block,
                                       const std::string& text) {
  switch (command) {
    case CBEGIN:
      RaiseError(Ru("Открывающая команда \"") + CommandKeyword(CBEGIN) +
                 Ru("()\" позволена только один раз, в начале файла."));
    case CNAMEPREFIX:
      NamePrefix = text;
      break;
    case CFONT:
      ReadFontList(text);
      break;
    case CSFX:
      if (!Balons.empty()) RaiseError(Ru("Все звуки должны быть описаны ДО балонов!"));
      ApplyPageEntry(CSFX, block);
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
    case CDONTSCALE:
      MinWidth = 200;
      MaxWidth = kNoLimit;
      MinHeight = 200;
      MaxHeight = kNoLimit;
      break;
    case CHARDCOREMANIA:
      SetHardcoreMania();
      break;
    case CSTDBALONS:
      BalonBackground = 255;
      BalonsPars = "%0,0,0.7";
      break;
    case CBALONSBGR:
      BalonBackground = ReadColor(ResolveTexture(text));
      break;
    case CBALONSPARS:
      BalonsPars = ParseSoundOrTextLayers(text, false);
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
    case CRELIZ:
      if (GetQuality() == -1) RaiseQualityConflict();
      SetQuality(1);
      break;
    case CBALON:
      ApplyPageEntry(CBALON, block);
      break;
    default:
      // КОНЕЦ(): the run stops there before it gets here. ТИПОВЫЕ_НЕГАТИВНЫЕ_БАЛОНЫ()
      // is refused in both places by CheckPlace.
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
    RaiseError(
        Ru("У команды ШРИФТ() должно быть минимум три параметра: имена файлов для "
           "нормального, жирного и курсива."));
}

void TParamsContainer::ReadTextureDefinition(const std::string& text) {
  const std::string id = NormalizeTextureId(ExtractField(text, 0, ","));
  const std::string value = ExtractField(text, 1, ",");
  if (id.empty() || value.empty())
    RaiseSyntaxError(Ru("Команда в формате \"ТЕКСТУРА( <идентификатор>, <имя файла | %яркость>)\""),
                     Ru("\"ТЕКСТУРА ( ") + text + ")\"", "");
  if (id.find('%') != std::string::npos)
    RaiseSyntaxErrorText(Ru("Символ процента в имени текстуры НЕ ДОПУСКАЕТСЯ.\n\rНи под каким соусом."));
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

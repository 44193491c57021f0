#include "drovix_parser/script/ValueLanguages.h"

#include <vector>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {
namespace {

// Splits "(a)(b)..." into the texts of the groups. The last character (the
// closing bracket of the last group) is not examined; text outside brackets
// is dropped; a text without brackets gives one empty group.
std::vector<std::string> SplitLayerGroups(const TParamsContainer& owner, const std::string& text,
                                          const std::string& kind) {
  std::vector<std::string> groups(1);
  int depth = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    const char c = text[i];
    if (c == '(') {
      ++depth;
      if (depth > 1)
        owner.RaiseSyntaxError(Ru("остаток параметра ") + kind + Ru(", включая закрывающую скобку"),
                               Ru("лишняя открывающая скобка"), std::string());
    } else if (c == ')') {
      --depth;
      groups.emplace_back();
    } else if (depth == 1) {
      groups.back() += c;
    }
  }
  return groups;
}

}  // namespace

std::string ParseLayerList(TParamsContainer& owner, const std::string& text, int32_t mode) {
  std::string kind, command;
  switch (mode) {
    case 0:
      kind = Ru("контура звука");
      command = Ru("\"ЗВУК()\"");
      break;
    case 1:
      kind = Ru("контура в свойствах текста");
      command = Ru("\"СВОЙСТВА_ТЕКСТА()\"");
      break;
    default:
      kind = Ru("цвета замазки");
      command = Ru("\"ЗАМАЗЫВАТЬ_В_БАЛОНАХ()\"");
      break;
  }
  const std::vector<std::string> groups = SplitLayerGroups(owner, text, kind);
  std::string out;

  if (mode == 0 || mode == 1) {
    long double total = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
      const int32_t i = static_cast<int32_t>(g);
      std::string colour = ExtractField(groups[g], 0, ",");
      std::string thickness = ExtractField(groups[g], 1, ",");
      std::string blur = ExtractField(groups[g], 2, ",");
      if (thickness.empty()) thickness = i == 0 ? "0" : "1";
      if (blur.empty()) blur = "0.7";
      if (colour.empty()) colour = "%0";

      colour = owner.ResolveTexture(colour);
      if (!colour.empty() && colour[0] == '%') colour = "%" + std::to_string(owner.ReadColor(colour));

      long double thick = 0;
      if (!TParamsContainer::TryReadNumber(thickness, -10, 30, thick))
        owner.RaiseError(Format(Ru("Для %d-го слоя обводки в команде ") + command +
                                    Ru(" задано недопустимое значение \"%s\" толщины обводки. "
                                       "Должно быть число от %d.00 до %d.00."),
                                i, thickness.c_str(), -10, 30));
      long double positive = 0;
      if (i > 0 && !TParamsContainer::TryReadNumber(thickness, 0.01L, 30, positive))
        owner.RaiseError(Format(Ru("Для %d-го слоя обводки в команде ") + command +
                                    Ru(" задано нулевое или отрицательное значение толщины \"%s\", "
                                       "что допускается только для 0-го слоя (т.е. самого звука)."),
                                i, thickness.c_str()));
      long double blurValue = 0;
      if (!TParamsContainer::TryReadNumber(blur, 0, 20, blurValue))
        owner.RaiseError(Format(Ru("Для %d-го слоя обводки в команде ") + command +
                                    Ru(" задано недопустимое значение \"%s\" размытости контура. "
                                       "Должно быть численное значение от 0.00 до 20.00. (Каждая "
                                       "целая единица дополнительно увеличивает толщину обводки на "
                                       "один пиксель)."),
                                i, blur.c_str()));
      out += colour + "," + thickness + "," + blur + ",";
      total += thick;
    }
    if (total < 0)
      owner.RaiseError(Ru("Суммарная толщина всех контуров в команде ") + command +
                       Ru(" меньше нуля, что недопустимо!"));
    return out;
  }

  for (size_t g = 0; g < groups.size(); ++g) {
    const int32_t number = static_cast<int32_t>(g) + 1;
    std::string colour = ExtractField(groups[g], 0, ",");
    std::string tolerance = ExtractField(groups[g], 1, ",");
    std::string thickness = ExtractField(groups[g], 2, ",");
    if (thickness.empty()) thickness = "2";
    if (tolerance.empty()) tolerance = "40";

    colour = owner.ResolveTexture(colour);
    if (colour.empty() || colour[0] != '%')
      owner.RaiseError(Format(Ru("В команде %s задана недопустимая текстура \"%s\" цвета №%d. "
                                 "Допускаются только текстуры, ассоциированные с цветом, но никак "
                                 "не с именем файла."),
                              command.c_str(), colour.c_str(), number));
    colour = std::to_string(owner.ReadColor(colour));

    int32_t value = 0;
    if (!TParamsContainer::TryReadInteger(thickness, 0, 10, value))
      owner.RaiseError(Format(Ru("Для толщины обводки для %d-го цвета в команде %s задано "
                                 "недопустимое значение \"%s\". Должно быть целое число от 0 до 10."),
                              number, command.c_str(), thickness.c_str()));
    if (!TParamsContainer::TryReadInteger(tolerance, 0, 255, value))
      owner.RaiseError(Format(Ru("Для погрешности для %d-го цвета в команде %s задано недопустимое "
                                 "значение \"%s\". Должно быть целое от 0 до 255."),
                              number, command.c_str(), tolerance.c_str()));
    out += colour + "," + tolerance + "," + thickness + ",";
  }
  return out;
}

std::string ParseBalloonTextWith(const TParamsContainer& owner, const std::string& text,
                                 const std::string& scriptFolder, const std::vector<std::string>& textureIds,
                                 const std::vector<std::string>& textureValues) {
  static const std::string kLineBreak = Ru("%А");
  static const std::string kTags = "-/0123456789[]" + Ru("АБВЕЖКЛМНПФХЦ");
  static const char kFileTag = Ru("Ф")[0];

  std::string src;
  src.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      src += kLineBreak;
    } else if (text[i] == '\n') {
      src += kLineBreak;
    } else {
      src += text[i];
    }
  }
  if (!src.empty() && src.back() == '%')
    owner.RaiseSyntaxErrorText(Ru("Неизвестный тег \"%<конец строки>\"!"));

  const std::string fileTagExpected = Ru("открывающая скобка после тега \"%Ф\"");
  std::string out;
  out.reserve(src.size() + 16);
  size_t i = 0;
  while (i < src.size()) {
    if (src[i] != '%') {
      out += src[i++];
      continue;
    }
    // Not the last character: a text ending in '%' was refused above.
    const char tag = UpperCaseCyrChar(src[i + 1]);
    if (kTags.find(tag) == std::string::npos)
      owner.RaiseSyntaxErrorText(Ru("Неизвестный тег \"%") + tag + "\"!");
    out += '%';
    out += tag;
    i += 2;
    if (tag != kFileTag) continue;

    if (i >= src.size()) owner.RaiseSyntaxError(fileTagExpected, Ru("конец строки"), std::string());
    if (src[i] == ' ')
      owner.RaiseSyntaxErrorText(
          Ru("Извиняйте, но пробелы между тегом \"%Ф\" и именем файла не допускаются."));
    if (src[i] != '(')
      owner.RaiseSyntaxError(fileTagExpected, Ru("символ \"") + src[i] + "\"", std::string());
    ++i;
    size_t close = src.find(')', i);
    if (close == std::string::npos) close = src.size();
    std::string name = src.substr(i, close - i);
    if (name.find('(') != std::string::npos)
      owner.RaiseSyntaxErrorText(
          Ru("Скобки в имени файла после тега \"%Ф\" не допускаются.\n\rГомен насай."));
    name = Trim(name);
    const std::string id = NormalizeTextureId(name);
    for (size_t k = 0; k < textureIds.size() && k < textureValues.size(); ++k) {
      if (textureIds[k] != id) continue;
      name = textureValues[k];
      if (!name.empty() && name[0] == '%')
        owner.RaiseError(Ru("В качестве имени файла после тега \"%Ф\" указана текстура \"") + id +
                         Ru("\", ассоциированная с цветом (\"") + name +
                         Ru("\"), а не с именем файла. Низ-зя.   >:("));
      break;
    }
    out += "(" + scriptFolder + name + ")";
    i = close + 1;
  }
  return out;
}

}  // namespace drovix

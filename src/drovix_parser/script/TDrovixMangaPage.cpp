#include "drovix_parser/script/TDrovixMangaPage.h"

#include <cmath>
#include <exception>
#include <utility>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/typeset/ParseText.h"
#include "drovix_parser/script/ScriptPaths.h"
#include "drovix_parser/script/TScriptHead.h"
#include "drovix_parser/script/TextHelpers.h"
#include "drovix_parser/script/ValueLanguages.h"

namespace drovix {

TDrovixMangaPage::TDrovixMangaPage(TScriptHead& script, const std::string& scriptFolder,
                                   const std::string& pageName, std::unique_ptr<TStringListWithIDs> block)
    : Manga(script) {
  if (block) {
    for (int32_t i = 0; i < block->Count(); ++i) Add(block->Strings(i), block->GetID(i));
    block.reset();
  }
  IsScriptHead = false;
  static_cast<TPageSettings&>(*this) = script;
  BasePath = scriptFolder + pageName;
}

TDrovixMangaPage::~TDrovixMangaPage() { FreeQuietly(Scan); }

void TDrovixMangaPage::Parse() {
  const std::string name = ExtractFileNamePart(BasePath);
  try {
    ConsoleWriteRaw(".");
    Line = 0;
    Column = 1;
    while (Line < Count()) {
      const std::string commandName = ReadName();
      const TCommand command = FindCommand(commandName);
      const std::unique_ptr<TStringListWithIDs> block = ReadParameterBlock();
      ApplyCommand(command, *block);
    }
  } catch (const std::exception& e) {
    throw EDrovixError(
        Format(Ru("Крах при парсинге страницы \"%s\":\n\r%s"), MessageName(name).c_str(), e.what()));
  } catch (...) {
    throw EDrovixError(Format(
        Ru("Программа упала при парсинге страницы \"%s\", а почему - не говорит, падла."), name.c_str()));
  }
}

void TDrovixMangaPage::ApplyPageEntry(TCommand command, const TStringListWithIDs& block) {
  if (command == CSFX) {
    if (!Balons.empty()) RaiseError(Ru("Все звуки должны быть описаны ДО балонов!"));
    Sounds.push_back(ParseSoundOrTextLayers(block.AsOneLine(), true));
    return;
  }
  if (command != CBALON) return;
  std::string text;
  for (int32_t i = 0; i < block.Count(); ++i) {
    text += block.Strings(i);
    text += '\n';
  }
  // A runaway text is refused before it is even normalized, and again in
  // its final form (line breaks become tags): it could never be fitted, only
  // eat memory and time.
  const int32_t number = static_cast<int32_t>(Balons.size()) + 1;
  std::string lengthError = BalloonTextLengthError(text, number);
  if (!lengthError.empty()) RaiseError(lengthError);
  TBalonEntry balon;
  balon.Text = ParseBalloonText(text);
  lengthError = BalloonTextLengthError(balon.Text, number);
  if (!lengthError.empty()) RaiseError(lengthError);
  // A tag or digit selecting a font slot that ШРИФТ() left empty is refused
  // now, before any page is built.
  const std::string slotError = FontSlotError(balon.Text, Manga.Fonts);
  if (!slotError.empty()) RaiseError(slotError);
  // So is a text whose "%Б" tags make letters larger than any page: the fit
  // would shrink it for hundreds of rounds, and a size that has overflowed
  // fits at no scale.
  const std::string sizeError = SizeFactorError(balon.Text, FontSize, number);
  if (!sizeError.empty()) RaiseError(sizeError);
  balon.Background = BalonBackground;
  balon.Pars = BalonsPars;
  balon.FontSize = FontSize;
  balon.LineSpacing = static_cast<int32_t>(std::nearbyint(static_cast<long double>(LineSpacing) * 100));
  if (BalonBackground == -1 && ColorScans == 1) balon.Smear = SmearInBalons;
  Balons.push_back(std::move(balon));
}

std::string TDrovixMangaPage::ParseLayers(const std::string& text, int32_t mode) {
  return ParseLayerList(*this, text, mode);
}

std::string TDrovixMangaPage::ParseSoundOrTextLayers(const std::string& text, bool isSound) {
  return ParseLayers(text, isSound ? 0 : 1);
}

std::string TDrovixMangaPage::ParseBalloonText(const std::string& text) {
  return ParseBalloonTextWith(*this, text, Manga.ScriptFolder, Manga.TextureIds, Manga.TextureValues);
}

std::string TDrovixMangaPage::ResolveTexture(const std::string& text) { return Manga.ResolveTexture(text); }

}  // namespace drovix

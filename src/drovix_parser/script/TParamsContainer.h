// The command vocabulary and the settings record that the script head and
// every page carry.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "drovix_graph/scan/TDrovixMangaScan.h"  // TSmear
#include "drovix_parser/script/CommandTable.h"
#include "drovix_parser/script/TBalonEntry.h"
#include "drovix_parser/script/TPageSettings.h"
#include "drovix_parser/script/TParserHelper.h"

namespace drovix {

// The settings record (TPageSettings) and the page entries, changed by the
// commands of the script head or of one page.
class TParamsContainer : public TParserHelper, public TPageSettings {
 public:
  TParamsContainer();
  ~TParamsContainer() override;

  // Not handed on to pages: a page's own prefix stays empty.
  std::string NamePrefix;
  std::vector<std::string> Sounds;
  std::vector<TBalonEntry> Balons;
  std::set<TCommand> UsedCommands;

  // Layer-list parser: mode 0 sounds, 1 text properties, 2 colours to clean.
  virtual std::string ParseLayers(const std::string& text, int32_t mode) = 0;
  virtual std::string ParseSoundOrTextLayers(const std::string& text, bool isSound) = 0;
  virtual std::string ParseBalloonText(const std::string& text) = 0;
  virtual std::string ResolveTexture(const std::string& text) = 0;

  // Looks a name up in the keyword table; raises for an unknown name.
  // "БАЛОН" and the empty name both give CBALON.
  TCommand FindCommand(const std::string& name) const;
  // Checks where the command stands (head or page, once per page, before
  // balloons and sounds), reads its parameter and changes the settings.
  // Positions in messages come from the block's range (ReadParameterBlock).
  // МАНГА() and КОНЕЦ() are the script run's own business: МАНГА() raises
  // its "only once" error here, КОНЕЦ() does nothing.
  virtual void ApplyCommand(TCommand command, const TStringListWithIDs& block);

  // --- Value readers. Each raises the script's syntax error at PositionText().
  // Text with every LF, CR and '%' removed, then trimmed.
  static std::string CleanValueText(const std::string& text);
  // Decimal integer in lo..hi.
  int32_t ReadInteger(const std::string& text, int32_t lo, int32_t hi) const;
  // Decimal number ('.' as the decimal mark) in lo - 0.001 .. hi + 0.001.
  long double ReadNumber(const std::string& text, long double lo, long double hi) const;
  // 2, 4 or 8.
  int32_t ReadPaletteDepth(const std::string& text) const;
  // "%g" gives the grey g; "%r%g%b" gives 16777216 + r*65536 + g*256 + b.
  // Whatever stands before the first '%' is ignored.
  int32_t ReadColor(const std::string& text) const;
  // A TSmear script name, any letter case; empty text gives SDRAFT.
  TSmear ReadSmearMethod(const std::string& text) const;
  // Quiet forms: false instead of raising; value is untouched on failure.
  static bool TryReadInteger(const std::string& text, int32_t lo, int32_t hi, int32_t& value);
  static bool TryReadNumber(const std::string& text, long double lo, long double hi, long double& value);
  static bool TryReadColor(const std::string& text, int32_t& value);

 protected:
  // --- Hooks: what the settings record itself does not hold. The defaults
  // suit a page, where ApplyCommand refuses every head-only command before it
  // reaches a hook. The script object (TDrovixManga) overrides the font,
  // quality, texture and hardcore hooks; the page (TDrovixMangaPage)
  // overrides ApplyPageEntry. ApplyCommand does every check and raises every
  // message of these commands; an override only stores.

  // True when ШРИФТ() has already named fonts.
  virtual bool HasFonts() const { return false; }
  // Font slot index (0..9) becomes a font for the sheet fileName (BaseFolder
  // + name as written, no extension); the sheet is read later.
  virtual void SetFont(int32_t index, const std::string& fileName);
  // Build quality of the script: -1 draft, 0 normal, 1 release.
  virtual int32_t GetQuality() const { return 0; }
  virtual void SetQuality(int32_t quality);
  // Stores a texture: a new (normalized) id is appended, a known one gets
  // the new value. Both are checked and non-empty.
  virtual void DefineTexture(const std::string& id, const std::string& value);
  // ДЛЯ_КОНЧЕНЫХ_ОТАКУ().
  virtual void SetHardcoreMania();
  // Balloon (CBALON) and sound (CSFX) entries of a page. ApplyCommand has
  // already refused them outside a page and refused a sound after a balloon.
  virtual void ApplyPageEntry(TCommand command, const TStringListWithIDs& block);

 private:
  // ШРИФТ(): checks the list and hands each font to SetFont.
  void ReadFontList(const std::string& text);
  // ТЕКСТУРА(): checks identifier and value and hands them to DefineTexture.
  void ReadTextureDefinition(const std::string& text);
  // Raises when the command may not stand here; marks a page's once-only
  // command as used.
  void CheckPlace(TCommand command);
  // The commands whose value the table does not describe.
  void ApplyOwnCommand(TCommand command, const TStringListWithIDs& block, const std::string& text);
  // After a size limit changed: the minimum may not exceed the maximum.
  void CheckSizeLimits(TCommand command) const;
  [[noreturn]] void RaiseQualityConflict() const;
};

// Script name of a text-removal method ("" for SDRAFT, SPICKY, SSELECTIVE).
const std::string& SmearMethodName(TSmear method);
// Texture identifier form: upper-cased, every run of blanks, '_', CR and LF
// made one '_', leading separators dropped, one trailing '_' removed.
std::string NormalizeTextureId(const std::string& text);

}  // namespace drovix

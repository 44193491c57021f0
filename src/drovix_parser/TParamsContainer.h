// The command vocabulary and the settings record that the script head and
// every page carry.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "drovix_graph/scan/TDrovixMangaScan.h"  // TSmear
#include "drovix_parser/TParserHelper.h"

namespace drovix {

enum TCommand : uint8_t {
  CBEGIN, CEND, CNAMEPREFIX, CFONT, CFONTSIZE, CMINFONTSIZE, CMAXFONTCOMPRESSION, CSFX,
  CCLEANINGPOWER, CTEXTURE, CPALETTEDEPTH, CDISABLEPNG, CMINWIDTH, CMAXWIDTH, CMINHEIGHT,
  CMAXHEIGHT, CDONTSCALE, CSCALEBEFORE, CSCALEAFTER, CHARDCOREMANIA, CCOLOR, CBLACKANDWHITE,
  CSTDBALONS, CSTDNEGABALONS, CBALONSBGR, CTRANSPARENTBALONSBGR, CBALONSPARS, CLINESPACING,
  CDISABLEAUTOHYPENS, CAUTOHYPENS, CCOMPRESSIONLOATHING, CSHORTLINESLOATHING,
  CTRANSITIONSLOATHING, CDEVIATIONSLOATHING, CSMEARMETOD, CSMEARPOWER, CSMEARINBALONS,
  CDONTSMEARINBALONS, CDRAFT, CKILLPATTERNS, CDONTKILLPATTERNS, CRELIZ, CALTBALON, CBALON,
  NOTACOMMAND
};

class TParamsContainer : public TParserHelper {
 public:
  TParamsContainer();
  ~TParamsContainer() override;

  int32_t CleaningPower = 0;
  int32_t FontSize = 17;
  int32_t MinFontSize = 8;
  int32_t MaxFontCompression = 33;
  int32_t PaletteDepth = 4;
  int32_t MinWidth = 200;
  int32_t MaxWidth = 2147483647;
  int32_t MinHeight = 200;
  int32_t MaxHeight = 2147483647;
  int32_t BalonBackground = 255;
  int32_t ScaleBefore = 0;
  int32_t ColorScans = 0;
  std::string NamePrefix;
  std::string BalonsPars = "%0,0,0.7";
  std::string SmearInBalons;
  std::vector<std::string> Sounds;
  std::vector<std::string> Balons;
  std::vector<std::string> BalonParsList;
  std::vector<std::string> BalonSmearList;
  std::vector<int32_t> BalonBackgrounds;
  std::vector<int32_t> BalonFontSizes;
  std::vector<int32_t> BalonLineSpacings;
  int32_t MinHyphenWordLength = 7;
  float CompressionLoathing = 1.0f;
  float ShortLinesLoathing = 1.0f;
  float TransitionsLoathing = 1.0f;
  float DeviationsLoathing = 1.0f;
  float LineSpacing = 1.33f;
  TSmear SmearMethod = STRICKY;
  int32_t SmearPower = 25;
  int32_t KillPatterns = 0;
  std::set<TCommand> UsedCommands;

  // Layer-list parser: mode 0 sounds, 1 text properties, 2 colours to clean.
  virtual std::string ParseLayers(const std::string& text, int32_t mode) = 0;
  virtual std::string ParseSoundOrTextLayers(const std::string& text, bool isSound) = 0;
  virtual std::string ParseBalloonText(const std::string& text) = 0;
  virtual std::string ResolveTexture(const std::string& text) = 0;

  // Looks a name up in the keyword table; raises for an unknown name.
  TCommand FindCommand(const std::string& name) const;
  // Checks where the command stands, reads its parameter, changes settings.
  virtual void ApplyCommand(TCommand command, const TStringListWithIDs& block);
};

}  // namespace drovix

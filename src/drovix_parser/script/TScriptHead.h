// The script head: the script-wide settings and what every page reads of its
// script besides them (the script folder, the texture table, the fonts, the
// quality), with the hooks through which the head commands fill them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drovix_graph/typeset/TFont.h"
#include "drovix_parser/script/TParamsContainer.h"

namespace drovix {

class TScriptHead : public TParamsContainer {
 public:
  std::string ScriptFolder;                // absolute, ending in '/'
  std::vector<std::string> TextureIds;     // normalized identifiers
  std::vector<std::string> TextureValues;  // picture base name or "%" brightness
  TArrayofFont Fonts;
  bool HardcoreMania = false;
  int32_t Quality = 0;  // -1 draft, 0 normal, 1 release

  std::string ParseLayers(const std::string& text, int32_t mode) override;
  std::string ParseSoundOrTextLayers(const std::string& text, bool isSound) override;
  // Balloons are refused in the script head; this is the page's reader over
  // this script's texture table, for completeness.
  std::string ParseBalloonText(const std::string& text) override;
  // The value of the texture whose identifier equals the normalized text,
  // else the text itself.
  std::string ResolveTexture(const std::string& text) override;

 protected:
  bool HasFonts() const override;
  void SetFont(int32_t index, const std::string& fileName) override;
  int32_t GetQuality() const override { return Quality; }
  void SetQuality(int32_t quality) override { Quality = quality; }
  void DefineTexture(const std::string& id, const std::string& value) override;
  void SetHardcoreMania() override { HardcoreMania = true; }
};

}  // namespace drovix

#include "drovix_parser/script/TScriptHead.h"

#include <memory>

#include "drovix_parser/script/ValueLanguages.h"

namespace drovix {

std::string TScriptHead::ParseLayers(const std::string& text, int32_t mode) {
  return ParseLayerList(*this, text, mode);
}

std::string TScriptHead::ParseSoundOrTextLayers(const std::string& text, bool isSound) {
  return ParseLayers(text, isSound ? 0 : 1);
}

std::string TScriptHead::ParseBalloonText(const std::string& text) {
  return ParseBalloonTextWith(*this, text, ScriptFolder, TextureIds, TextureValues);
}

std::string TScriptHead::ResolveTexture(const std::string& text) {
  const std::string id = NormalizeTextureId(text);
  for (size_t i = 0; i < TextureIds.size() && i < TextureValues.size(); ++i)
    if (TextureIds[i] == id) return TextureValues[i];
  return text;
}

bool TScriptHead::HasFonts() const {
  for (const auto& font : Fonts)
    if (font) return true;
  return false;
}

void TScriptHead::SetFont(int32_t index, const std::string& fileName) {
  if (index < 0 || index >= static_cast<int32_t>(Fonts.size())) return;
  Fonts[static_cast<size_t>(index)] = std::make_unique<TFont>(fileName);
}

void TScriptHead::DefineTexture(const std::string& id, const std::string& value) {
  for (size_t i = 0; i < TextureIds.size(); ++i)
    if (TextureIds[i] == id) {
      TextureValues[i] = value;
      return;
    }
  TextureIds.push_back(id);
  TextureValues.push_back(value);
}

}  // namespace drovix

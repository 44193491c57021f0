// The two value languages of pages, shared by the script head: layer lists
// and balloon texts, checked and normalized.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drovix_parser/script/TParamsContainer.h"

namespace drovix {

// A layer list "(colour,thickness,blur)(...)" (modes 0 sounds and 1 text
// properties) or "(colour,tolerance,thickness)(...)" (mode 2, colours to
// clean inside balloons), checked and normalized to one "a,b,c," triple per
// layer. Textures are resolved through owner.ResolveTexture; errors are
// raised at owner's position.
std::string ParseLayerList(TParamsContainer& owner, const std::string& text, int32_t mode);

// A balloon text: line breaks become the tag "%А", tags are checked and
// upper-cased, "%Ф(name)" gets scriptFolder in front of the name (or the
// value of the picture texture so named). Errors are raised at owner's
// position.
std::string ParseBalloonTextWith(const TParamsContainer& owner, const std::string& text,
                                 const std::string& scriptFolder, const std::vector<std::string>& textureIds,
                                 const std::vector<std::string>& textureValues);

}  // namespace drovix

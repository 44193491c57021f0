// One balloon of a page description: its text and the settings that were
// current where the script described it.
#pragma once

#include <cstdint>
#include <string>

namespace drovix {

struct TBalonEntry {
  // The checked text: line breaks as "%А", tags upper-cased, picture names
  // with the script folder in front.
  std::string Text;
  // The text's layers (СВОЙСТВА_ТЕКСТА()), one "colour,thickness,blur," per layer.
  std::string Pars;
  // Colours to clean inside the balloon: the page's list for a transparent
  // balloon on a colour scan, else empty.
  std::string Smear;
  // Grey 0..255, 16777216 + RGB, or -1 for a transparent balloon.
  int32_t Background = 255;
  int32_t FontSize = 17;
  // The line spacing in hundredths, rounded half to even.
  int32_t LineSpacing = 133;
};

}  // namespace drovix

// The settings a balloon text is fitted with: the four loathings a layout is
// priced by, the line spacing, the automatic hyphenation threshold and the
// font sizes. The defaults are those of a script that sets none of them.
#pragma once

#include <cstdint>

namespace drovix {

struct TTypesetSettings {
  // Weights of the layout penalty (0..10 in a script).
  float DeviationLoathing = 1.0f;    // the text block off the balloon's middle
  float TransitionLoathing = 1.0f;   // a line ending at an optional hyphen
  float ShortLineLoathing = 1.0f;    // the unused length of every line
  float CompressionLoathing = 1.0f;  // every compression percent of every phrase
  // Factor on a phrase's line step (the balloon's percentage / 100).
  float LineSpacing = 1.33f;
  // Words of at least this many characters get optional hyphens;
  // 2147483647 disables automatic hyphenation.
  int32_t MinHyphenLength = 7;
  // The largest compression percent the search tries (0..70).
  int32_t MaxCompression = 33;
  // No word may fall below this size (pixels) when the scale shrinks.
  int32_t MinFontSize = 8;
  // The size of the text's font before any tag enlarges it.
  int32_t FontSize = 17;
};

}  // namespace drovix

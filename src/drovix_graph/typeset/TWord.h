// A word: the grey raster of one run of characters set in one font and style
// at sheet scale (32-pixel cells), or an inline picture, with the marks the
// layout needs.
#pragma once

#include <cstdint>
#include <string>

#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/typeset/TJustify.h"

namespace drovix {

class TWord : public TDrovixGraph {
 public:
  TWord() = default;
  ~TWord() override;

  // -1 when the word follows a break opportunity (a space or an optional
  // hyphen), 0 otherwise.
  int32_t AfterSpace = 0;
  // Size relative to the 32-pixel cell: font size / 32, times 1.33 per
  // enlargement and divided by 1.33 per reduction in force.
  float SizeFactor = 0;
  // The font's FontScale; 1.0 for a picture.
  float FontScale = 1.0f;
  bool EndsParagraph = false;
  // The hyphen of an optional hyphen: drawn only where a line breaks.
  bool IsHyphen = false;
  // An inline picture, not letters: its size is its own raster's.
  bool IsPicture = false;
  TJustify Justify = JCENTER;
  // 0 bottom, 1 top, anything else centre.
  uint8_t VAlign = 2;
  // For messages: the characters with no-break spaces as "&nbsp;", empty for
  // an optional hyphen, the picture's name for a picture.
  std::string Text;
};

}  // namespace drovix

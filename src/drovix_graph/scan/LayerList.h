// The layer list of a sound or a balloon text style, read from its normalized
// description "layer,thickness,blur,layer,thickness,blur,...", and the field
// reading it shares with the colour-key list of balloon cleaning.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "cl_Classes/NumberReader.h"

namespace drovix {

// One layer as the description gives it, before the page's scale applies.
struct TLayer {
  // "%" followed by the colour number, or the texture's file name (relative
  // to the folder of the page's scan). Never empty.
  std::string Text;
  int32_t Colour = 0;   // the colour number of a colour layer, 0 .. 33554431
  float Thickness = 0;  // pixels of the unscaled scan, -100 .. 100
  float Blur = 0;       // pixels of the unscaled scan, 0 .. 100

  bool IsColour() const { return Text[0] == '%'; }
};

using TLayerList = std::vector<TLayer>;

// The layers of description, in order, up to the first group whose layer
// field is empty; a missing thickness or blur counts as 0. Raises
// EDrovixError naming the description and the field when a colour number,
// thickness or blur is not a number or out of range, checking group by
// group and field by field.
TLayerList ReadLayerList(const std::string& description);

// The fields of a comma-separated list, each trimmed of bytes 0..32; line
// breaks count as blanks. An empty text gives one empty field.
std::vector<std::string> SplitListFields(const std::string& text);

// Reads the whole field as a decimal number (int32_t or float) with the
// program's number reader, one leading "+" allowed before the number's own
// sign; false when the field holds anything else or an integer leaves 32 bits.
template <class T>
bool ParseListNumber(const std::string& field, T& value) {
  std::string_view text(field);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') return false;
  if constexpr (std::is_integral_v<T>) {
    int64_t v = 0;
    if (!ReadDecimalInteger(text, v) || v < std::numeric_limits<T>::min() ||
        v > std::numeric_limits<T>::max())
      return false;
    value = static_cast<T>(v);
    return true;
  } else {
    return ReadDecimalNumber(text, value);
  }
}

}  // namespace drovix

// The layer list of a sound or a balloon text style, read from its normalized
// description "layer,thickness,blur,layer,thickness,blur,...", and the field
// reading it shares with the colour-key list of balloon cleaning.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

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

// Reads the whole field as a decimal number of type T (an optional leading
// "+" allowed); false when the field holds anything else.
template <class T>
bool ParseListNumber(const std::string& field, T& value) {
  const char* first = field.data();
  const char* last = field.data() + field.size();
  if (first != last && *first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && ptr == last;
}

}  // namespace drovix

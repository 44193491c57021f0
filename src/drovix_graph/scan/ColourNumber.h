// Colour numbers of the layer and balloon background settings: a grey level
// up to 16777215, above it 16777216 + R * 65536 + G * 256 + B. Not pixels.
#pragma once

#include <cstdint>

#include "drovix_graph/raster/GreyLevel.h"
#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix {

struct TChannels {
  int32_t R, G, B;
};

// The channels a colour page paints a colour number with. A grey level
// paints the same level in all three channels: "%255" is white there as on
// a grey page, not the blue that reading its bits as channels would give.
inline TChannels ColourChannels(int32_t colour) {
  if (colour <= 16777215) {
    const int32_t grey = Clamp(colour, 0, 255);
    return {grey, grey, grey};
  }
  return {(colour >> 16) & 255, (colour >> 8) & 255, colour & 255};
}

// The level a grey page paints a colour number with.
inline int32_t ColourNumberGrey(int32_t colour) {
  if (colour <= 16777215) return Clamp(colour, 0, 255);
  const TChannels c = ColourChannels(colour);
  return ColourGrey(c.R, c.G, c.B);
}

}  // namespace drovix

// A colour texture: keeps the file's packed colour (R bits 0-7, G 8-15,
// B 16-23, A 24-31) and samples it per channel for colour pages.
#pragma once

#include <cstdint>

#include "drovix_graph/raster/TDrovixTexture.h"

namespace drovix {

class TDrovixColorTexture : public TDrovixTexture {
 public:
  // Channels, named by the shift that extracts them from a packed pixel.
  enum TChannel : int32_t { CRED = 0, CGREEN = 8, CBLUE = 16 };

  TDrovixColorTexture() { PackedColour = true; }

  // Keeps the packed colour; BlackLevel 0, WhiteLevel 255; refuses pictures
  // smaller than 2 x 2.
  void SplitLayers() override;
  // The tiled pixel as a grey level: 0.3 R + 0.5 G + 0.2 B, rounded.
  int32_t Sample(int32_t row, int32_t column) const override { return GreyAt(row, column); }
  // One 8-bit channel of the tiled pixel.
  int32_t SampleChannel(int32_t row, int32_t column, TChannel channel) const {
    return (Pixel(WrapRow(row), WrapColumn(column)) >> channel) & 255;
  }
  // SmoothSample applied to one channel.
  int32_t SmoothSampleChannel(float row, float column, TChannel channel) const;
};

}  // namespace drovix

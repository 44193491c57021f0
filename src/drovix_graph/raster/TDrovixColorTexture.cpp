#include "drovix_graph/raster/TDrovixColorTexture.h"

#include "drovix_graph/raster/TextureSampling.h"

namespace drovix {

void TDrovixColorTexture::SplitLayers() {
  CheckTextureSize();
  BlackLevel = 0;
  WhiteLevel = 255;
}

int32_t TDrovixColorTexture::SmoothSampleChannel(float row, float column, TChannel channel) const {
  return SmoothTexel(row, column,
                     [this, channel](int32_t r, int32_t c) { return SampleChannel(r, c, channel); });
}

}  // namespace drovix

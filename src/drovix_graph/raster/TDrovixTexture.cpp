#include "drovix_graph/raster/TDrovixTexture.h"

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/GreyLevel.h"
#include "drovix_graph/raster/TextureSampling.h"

namespace drovix {

int32_t PackedColourToGrey(int32_t pixel) {
  return ColourGrey(pixel & 255, (pixel >> 8) & 255, (pixel >> 16) & 255);
}

int32_t TDrovixTexture::GreyAt(int32_t row, int32_t column) const {
  const int32_t v = Pixel(WrapRow(row), WrapColumn(column));
  return PackedColour ? PackedColourToGrey(v) : v;
}

void TDrovixTexture::CheckTextureSize() const {
  if (Height() < 2 || Width() < 2)
    Raise(Format(Ru("Текстура слишком мала: %dx%d, а нужна картинка хотя бы 2x2 точки.\n\r(файл \"%s\")"),
                 Width(), Height(), SourceFile.c_str()));
}

void TDrovixTexture::SplitLayers() {
  CheckTextureSize();
  TDrovixGraph::SplitLayers();
}

int32_t TDrovixTexture::SmoothSample(float row, float column) const {
  return SmoothTexel(row, column, [this](int32_t r, int32_t c) { return GreyAt(r, c); });
}

}  // namespace drovix

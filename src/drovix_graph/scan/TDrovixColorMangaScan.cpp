// Loading a colour page scan: blue stays in the raster, red and green go to
// planes of their own. The markup planes start empty: a colour page takes its
// markup only from the companion picture "<page>_".
#include "drovix_graph/scan/TDrovixColorMangaScan.h"

#include <cmath>

#include "driver/Console.h"
#include "drovix_graph/raster/GreyLevel.h"
#include "drovix_graph/scan/smear/SmearThresholds.h"

namespace drovix {

TDrovixColorMangaScan::TDrovixColorMangaScan() = default;

TDrovixColorMangaScan::~TDrovixColorMangaScan() = default;

void TDrovixColorMangaScan::SplitLayers() {
  GreenMarkup = NewPlane();
  RedMarkup = NewPlane();
  Transparency = NewPlane();
  FillMask = NewPlane();
  Contours = NewPlane();
  RedPlane = NewPlane();
  GreenPlane = NewPlane();
  int32_t transparent = 0;
  const int32_t h = Height();
  const int32_t w = Width();
  for (int32_t y = 0; y < h; ++y) {
    int32_t* page = RowPtr(y);
    int32_t* red = RedPlane->RowPtr(y);
    int32_t* green = GreenPlane->RowPtr(y);
    int32_t* transparency = Transparency->RowPtr(y);
    for (int32_t x = 0; x < w; ++x) {
      const int32_t v = page[x];
      const int32_t a = (v >> 24) & 255;
      red[x] = v & 255;
      green[x] = (v >> 8) & 255;
      page[x] = (v >> 16) & 255;
      transparency[x] = 255 - a;
      transparent += 255 - a > kSmearTargetAbove ? 1 : 0;
    }
  }
  TransparentCount = transparent;
  LoadExternalMarkup();
  Scale = 1.0f;
  BlackLevel = 0;
  WhiteLevel = 255;
  TargetWidth = Width();
  TargetHeight = Height();
  ConsoleWriteRaw("..");
}

std::unique_ptr<TDrovixGraph> TDrovixColorMangaScan::Clone() const {
  // Before the split the raster still holds packed colour: copy it as it is.
  if (!RedPlane || !GreenPlane) return TDrovixGraph::Clone();
  auto grey = std::make_unique<TDrovixGraph>();
  const int32_t h = Height();
  const int32_t w = Width();
  grey->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y) {
    const int32_t* blue = RowPtr(y);
    const int32_t* red = RedPlane->RowPtr(y);
    const int32_t* green = GreenPlane->RowPtr(y);
    int32_t* out = grey->RowPtr(y);
    for (int32_t x = 0; x < w; ++x) out[x] = ColourPageGrey(blue[x], red[x], green[x]);
  }
  return grey;
}

}  // namespace drovix

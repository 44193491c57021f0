// Loading a colour page scan: blue stays in the raster, red and green go to
// planes of their own. The markup planes start empty: a colour page takes its
// markup only from the companion picture "<page>_".
#include "drovix_graph/scan/TDrovixColorMangaScan.h"

#include <cmath>

#include "drovix_graph/raster/GreyLevel.h"
#include "drovix_graph/scan/PackedSplit.h"

namespace drovix {

TDrovixColorMangaScan::TDrovixColorMangaScan() = default;

TDrovixColorMangaScan::~TDrovixColorMangaScan() = default;

void TDrovixColorMangaScan::SplitLayers() {
  NewWorkPlanes(*this);
  RedPlane = NewPlane();
  GreenPlane = NewPlane();
  SplitPackedPixels(*this, *RedPlane, *GreenPlane, [](int32_t v, int32_t, int32_t& red, int32_t& green) {
    red = v & 255;
    green = (v >> 8) & 255;
    return (v >> 16) & 255;
  });
  FinishSplit(*this);
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

// Flattening of near-black and near-white flecks in a grey raster.
#include "drovix_graph/raster/FleckCleaning.h"

namespace drovix {

void FlattenFlecks(TDrovixGraph& g, int32_t darkTop, int32_t black, int32_t lightBottom, int32_t white) {
  const int32_t h = g.Height(), w = g.Width();
  for (int32_t y = 1; y < h - 1; ++y) {
    const int32_t* up = g.RowPtr(y - 1);
    int32_t* row = g.RowPtr(y);
    const int32_t* down = g.RowPtr(y + 1);
    for (int32_t x = 1; x < w - 1; ++x) {
      if (row[x] < darkTop && row[x - 1] <= darkTop && row[x + 1] <= darkTop && up[x] <= darkTop &&
          down[x] <= darkTop)
        row[x] = black;
      if (row[x] > lightBottom && row[x - 1] >= lightBottom && row[x + 1] >= lightBottom &&
          up[x] >= lightBottom && down[x] >= lightBottom)
        row[x] = white;
    }
  }
}

}  // namespace drovix

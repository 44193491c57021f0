// Flattening of near-black and near-white flecks in a grey raster, as the
// page scan's level cleaning and the font sheet's clean-up do it.
#pragma once

#include <cstdint>

#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix {

// In place over the interior (the outermost rows and columns stay): a pixel
// below darkTop whose four neighbours are at most darkTop becomes black; then
// a pixel above lightBottom whose four neighbours are at least lightBottom
// becomes white. The pass runs row by row, left to right, so a pixel sees the
// new values of its left and upper neighbours. A lone dark or light pixel is
// detail, not a fleck, and stays.
void FlattenFlecks(TDrovixGraph& g, int32_t darkTop, int32_t black, int32_t lightBottom, int32_t white);

}  // namespace drovix

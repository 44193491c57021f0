// Forwards to Rounding.h; Nearest is the old name of RoundMeasure.
#pragma once
#include "drovix_graph/raster/Rounding.h"
namespace drovix { inline int32_t Nearest(long double v) { return RoundMeasure(v); } }

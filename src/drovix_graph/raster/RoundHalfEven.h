// Forwards to Rounding.h, where the rounding variants now live.
#pragma once
#include "drovix_graph/raster/Rounding.h"

// The pattern-keeping text removal (SPATTERN): transparent pixels are
// refilled by copying from places of the page that match their
// surroundings, so screen tone goes on with its period and phase, flat areas
// stay flat and lines run on through the erased lettering.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {

// Refills the targets of the scan (transparency above 20) in the planes,
// planes[0] being the scan's main raster; every plane is copied from the same
// source pixels with the same weights. markFailed(y, x) stamps a target that nothing could be copied
// to. Prints a "." each time more than a page width of targets is done.
// The scan's SmearPower (1..100) sets how widely it searches.
void SmearPattern(TDrovixMangaScan& scan, std::span<TDrovixGraph* const> planes,
                  const std::function<void(int32_t y, int32_t x)>& markFailed);

}  // namespace drovix

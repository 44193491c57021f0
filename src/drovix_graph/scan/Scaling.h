// The scale a page will work at, told from the scan's size alone before the
// scan is loaded (TDrovixMangaScan::ComputeScale and ScaleBeforeProcessing
// do the scaling itself).
#pragma once

#include <cstdint>

namespace drovix {

// The working scale of a width x height scan (both > 0) under the size
// limits at the build quality: the limits' scale, at least 1; a release
// build (quality > 0) works at twice that, each side capped at the largest
// working side. In extended precision and without the checks of the
// scaling itself: an estimate, for planning memory.
long double EstimatedWorkingScale(int64_t width, int64_t height, int32_t quality, int32_t minWidth,
                                  int32_t minHeight, int32_t maxWidth, int32_t maxHeight);

}  // namespace drovix

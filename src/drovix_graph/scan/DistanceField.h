// The distance field around the region in a scan's FillMask, which sound and
// text layers are drawn through.
//
// FillMask during this work: inside the region a rim weight below 100 (0 is
// the solid core; a negative depth once inner distances are computed),
// outside it the distance to the region in hundredths of a pixel plus the rim
// weight of the nearest region pixel, kFillOutside where no distance has been
// computed.
#pragma once

#include <cstdint>

#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {

// Extends the distance field to radius r pixels and widens the bounding box
// (MinX .. MaxY) by r - FillGradient on every side, clamped to the page; then
// FillGradient = r and a "." is printed. Does nothing when r is below
// FillGradient or the bounding box is empty. Region pixels of the box offer
// own + round(100 |p - q|) to the pixels above 99 within r rows and r
// columns, in rows from the top; a pixel keeps the smallest offer, except
// that an offer below 100 (from a weight below 0) makes it a region pixel
// for the offers still to come. Takes time in proportion to the area within
// reach times the number of weights at the region's edge, whatever r.
// Raises EInterrupted on a stop request.
void ExtendDistanceField(TDrovixMangaScan& scan, int32_t r);

// Gives the region pixels of the bounding box a negative depth (the largest
// mask(q) - 100 |p - q| over the pixels q just outside the region, -10000
// when there is none; q counts when its mask is 100 .. 200), so that a layer
// of negative thickness draws an inset of the shape. A region pixel keeps its
// weight when that is already lower.
void ComputeInnerDistances(TDrovixMangaScan& scan);

}  // namespace drovix

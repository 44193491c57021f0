// The split of a freshly loaded page scan, still packed colour, into the
// page and its planes. The grey and the colour scan share it and differ only
// in what the colour bytes of a pixel become.
#pragma once

#include <cstdint>

#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_graph/scan/smear/SmearThresholds.h"

namespace drovix {

// Creates the markup, transparency, fill and contour planes, all zero.
void NewWorkPlanes(TDrovixMangaScan& scan);

// Splits every packed pixel v of the page: split(v, alpha, first[x],
// second[x]) fills the two planes and returns what the page keeps. The
// transparency plane gets 255 - alpha, and TransparentCount counts the
// pixels text removal will refill.
// REQUIRES: first, second and scan.Transparency have the page's size.
template <class SplitPixel>
void SplitPackedPixels(TDrovixMangaScan& scan, TDrovixGraph& first, TDrovixGraph& second, SplitPixel split) {
  int32_t transparent = 0;
  const int32_t h = scan.Height();
  const int32_t w = scan.Width();
  for (int32_t y = 0; y < h; ++y) {
    int32_t* page = scan.RowPtr(y);
    int32_t* firstRow = first.RowPtr(y);
    int32_t* secondRow = second.RowPtr(y);
    int32_t* transparency = scan.Transparency->RowPtr(y);
    // Plain integer arithmetic throughout, so that the compiler vectorises
    // the row.
    for (int32_t x = 0; x < w; ++x) {
      const int32_t v = page[x];
      const int32_t a = (v >> 24) & 255;
      page[x] = split(v, a, firstRow[x], secondRow[x]);
      transparency[x] = 255 - a;
      transparent += 255 - a > kSmearTargetAbove ? 1 : 0;
    }
  }
  scan.TransparentCount = transparent;
}

// The rest of loading once the pixels are split: the full grey range, the
// companion markup picture merged in, scale 1 and the page's own size as the
// target.
void FinishSplit(TDrovixMangaScan& scan);

}  // namespace drovix

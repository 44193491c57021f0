// A grey texture: a small picture tiled over an area of a page with a period
// of Height() - 1 rows and Width() - 1 columns (the last row and column of the
// file are never sampled). Loaded with CreateFromFile<TDrovixTexture>, which
// refuses pictures smaller than 2 x 2.
#pragma once

#include <cstdint>

#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix {

class TDrovixTexture : public TDrovixGraph {
 public:
  // Keeps the green byte, as a plain raster does; refuses a picture smaller
  // than 2 x 2 (its tiling period would be 0) with a message naming the file.
  void SplitLayers() override;

  // The grey level at the tiled position. REQUIRES: Height() and Width() at
  // least 2. Negative coordinates wrap as well.
  virtual int32_t Sample(int32_t row, int32_t column) const { return GreyAt(row, column); }
  // Squared-weight bilinear sample at a fractional position, read through the
  // same tiling (and the same grey conversion) as Sample.
  int32_t SmoothSample(float row, float column) const;

 protected:
  // Set by the colour texture, whose pixels stay packed colour.
  bool PackedColour = false;

  // Row and column wrapped into 0 .. Height() - 2 and 0 .. Width() - 2.
  int32_t WrapRow(int32_t row) const { return Wrap(row, Height() - 1); }
  int32_t WrapColumn(int32_t column) const { return Wrap(column, Width() - 1); }
  // Sample without the virtual call, for the per-pixel loops.
  int32_t GreyAt(int32_t row, int32_t column) const;
  // Raises the refusal when the picture is smaller than 2 x 2.
  void CheckTextureSize() const;

 private:
  static int32_t Wrap(int32_t v, int32_t period) {
    const int32_t r = v % period;
    return r < 0 ? r + period : r;
  }
};

// 0.3 R + 0.5 G + 0.2 B of a packed colour pixel, rounded half to even.
int32_t PackedColourToGrey(int32_t pixel);

}  // namespace drovix

// A balloon set in vertical columns from left to right: its lines are the
// raster's columns, positions run downward.
#pragma once

#include "drovix_graph/typeset/TBalon.h"

namespace drovix {

class TVertBalon : public TBalon {
 public:
  TVertBalon(const TDrovixGraph& mask, int32_t maxX, int32_t maxY, int32_t minX, int32_t minY);
  void BuildShape() override;
  void RenderText() override;
};

}  // namespace drovix

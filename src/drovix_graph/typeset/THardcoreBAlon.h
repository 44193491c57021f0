// A balloon set in vertical columns from right to left. Its spans are
// measured upward from the bottom row while phrases are placed from the top
// with the columns mirrored, so the layout is computed on the shape turned
// by half a turn.
#pragma once

#include "drovix_graph/typeset/TVertBalon.h"

namespace drovix {

class THardcoreBAlon : public TVertBalon {
 public:
  THardcoreBAlon(const TDrovixGraph& mask, int32_t maxX, int32_t maxY, int32_t minX, int32_t minY);
  void BuildShape() override;
  void RenderText() override;
};

}  // namespace drovix

// The prices of a balloon's layouts: one row per compression percent 0..70,
// one entry per line index, each the cost of the layout starting at that
// line with that compression (2147483647: does not fit).
#pragma once

#include <cstdint>

#include "cl_Dyna/TDyna.h"

namespace drovix {

class TLoathingArray : public T2DAOI {
 public:
  static constexpr int32_t Compressions = 71;
  // Sizes every row to `lines` entries.
  void SetLines(int32_t lines) { SetSize(Compressions, lines); }
};

}  // namespace drovix

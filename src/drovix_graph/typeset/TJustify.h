// How a line places its phrases along the line.
#pragma once

#include <cstdint>

namespace drovix {

// JWIDTH is placed exactly like JCENTER: no space is ever stretched.
enum TJustify : uint8_t { JLEFT = 0, JRIGHT = 1, JCENTER = 2, JWIDTH = 3 };

}  // namespace drovix

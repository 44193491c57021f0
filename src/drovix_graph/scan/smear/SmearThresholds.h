// The transparency levels that text removal sorts pixels by. A pixel's
// transparency is 255 - alpha of the page as loaded.
#pragma once

#include <cstdint>

namespace drovix {

// A pixel whose transparency is above this is erased lettering: text
// removal refills it, and loading counts it in TransparentCount.
inline constexpr int32_t kSmearTargetAbove = 20;

// A pixel, or an interpolated read of the transparency, at most this
// transparent is opaque drawing that may be read from: transparency / 255
// < 0.05, i.e. below 12.75. Pixels between the two levels are neither
// refilled nor read.
inline constexpr int32_t kSmearSourceAtMost = 12;

}  // namespace drovix

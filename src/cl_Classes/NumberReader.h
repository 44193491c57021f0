// Decimal numbers read from text the same way everywhere, whatever the
// locale: the script's values, the build record's integers and the layer
// descriptions of the scan. Nothing may stand before or after the number
// (no blanks: callers trim what they allow).
#pragma once

#include <cstdint>
#include <string_view>

namespace drovix {

// An integer in 64-bit range: an optional '+', an optional '-', then
// digits. A '+' before the '-' is taken ("+-5" reads -5), as the script
// always has.
bool ReadDecimalInteger(std::string_view text, int64_t& value);

// A number with '.' as the decimal mark: an optional sign, digits with at
// most one '.' among them (".5" and "5." included), an optional exponent
// ("e" or "E", an optional sign, digits). No inf, nan or hex. The value is
// the correctly rounded one of the type.
bool ReadDecimalNumber(std::string_view text, long double& value);
bool ReadDecimalNumber(std::string_view text, float& value);

}  // namespace drovix

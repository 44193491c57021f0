#include "driver/console/MessageName.h"

namespace drovix {

std::string MessageName(std::string_view name) {
  if (name.size() <= kLongestMessageName) return std::string(name);
  constexpr size_t kSide = kLongestMessageName / 2;
  std::string shown(name.substr(0, kSide));
  shown += "...";
  shown += name.substr(name.size() - kSide);
  return shown;
}

}  // namespace drovix

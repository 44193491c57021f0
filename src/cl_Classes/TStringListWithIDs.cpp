#include "cl_Classes/TStringListWithIDs.h"

namespace drovix {

int32_t TStringListWithIDs::GetID(int32_t i) const {
  if (ids_.empty()) return 0;
  if (i < 0) i = 0;
  if (i >= Count()) i = Count() - 1;
  return ids_[static_cast<size_t>(i)];
}

void TStringListWithIDs::SetID(int32_t i, int32_t id) {
  if (ids_.empty()) return;
  if (i < 0) i = 0;
  if (i >= Count()) i = Count() - 1;
  ids_[static_cast<size_t>(i)] = id;
}

std::string TStringListWithIDs::AsOneLine() const {
  std::string s;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) s.push_back(' ');
    s += lines_[i];
  }
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

}  // namespace drovix

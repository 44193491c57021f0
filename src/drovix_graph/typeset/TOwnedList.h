// An ordered list that owns what it holds: items come in as unique pointers
// and are read by index. The word and phrase lists of the typesetting are
// lists of this kind.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace drovix {

template <class T>
class TOwnedList {
 public:
  // Appends the item and returns its index.
  int32_t Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return Count() - 1;
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // REQUIRES: 0 <= i < Count().
  T& Items(int32_t i) { return *items_[static_cast<size_t>(i)]; }
  const T& Items(int32_t i) const { return *items_[static_cast<size_t>(i)]; }
  // REQUIRES: Count() > 0.
  T& Last() { return *items_.back(); }
  const T& Last() const { return *items_.back(); }

 protected:
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace drovix

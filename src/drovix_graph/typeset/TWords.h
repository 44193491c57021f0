// An ordered list of words. The list owns the words it holds; a word moves
// from the parser's list into its phrase.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "drovix_graph/typeset/TWord.h"

namespace drovix {

class TWords {
 public:
  // Appends the word and returns its index.
  int32_t Add(std::unique_ptr<TWord> word) {
    items_.push_back(std::move(word));
    return Count() - 1;
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // REQUIRES: 0 <= i < Count().
  TWord& Items(int32_t i) { return *items_[static_cast<size_t>(i)]; }
  const TWord& Items(int32_t i) const { return *items_[static_cast<size_t>(i)]; }
  // REQUIRES: Count() > 0.
  TWord& Last() { return *items_.back(); }
  const TWord& Last() const { return *items_.back(); }
  // Hands word i over to the caller, leaving an empty slot behind.
  std::unique_ptr<TWord> Release(int32_t i) { return std::move(items_[static_cast<size_t>(i)]); }
  // Frees every word still held.
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TWord>> items_;
};

}  // namespace drovix

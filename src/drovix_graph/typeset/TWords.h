// An ordered list of words. The list owns the words it holds; a word moves
// from the parser's list into its phrase.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "drovix_graph/typeset/TOwnedList.h"
#include "drovix_graph/typeset/TWord.h"

namespace drovix {

class TWords : public TOwnedList<TWord> {
 public:
  // Hands word i over to the caller, leaving an empty slot behind.
  std::unique_ptr<TWord> Release(int32_t i) { return std::move(items_[static_cast<size_t>(i)]); }
  // Frees every word still held.
  void Clear() { items_.clear(); }
};

}  // namespace drovix

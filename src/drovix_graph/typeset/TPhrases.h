// The ordered phrases of one balloon text. The list owns its phrases.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "drovix_graph/typeset/TPhrase.h"

namespace drovix {

class TPhrases {
 public:
  // Appends the phrase and returns its index.
  int32_t Add(std::unique_ptr<TPhrase> phrase) {
    items_.push_back(std::move(phrase));
    return Count() - 1;
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // REQUIRES: 0 <= i < Count().
  TPhrase& Items(int32_t i) { return *items_[static_cast<size_t>(i)]; }
  const TPhrase& Items(int32_t i) const { return *items_[static_cast<size_t>(i)]; }
  // REQUIRES: Count() > 0.
  TPhrase& Last() { return *items_.back(); }
  // Removes (and frees) the phrases that hold no word.
  void DropEmpty() {
    std::erase_if(items_, [](const std::unique_ptr<TPhrase>& p) { return p->Words.Count() == 0; });
  }

 private:
  std::vector<std::unique_ptr<TPhrase>> items_;
};

}  // namespace drovix

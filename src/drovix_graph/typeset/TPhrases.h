// The ordered phrases of one balloon text. The list owns its phrases.
#pragma once

#include <memory>
#include <vector>

#include "drovix_graph/typeset/TOwnedList.h"
#include "drovix_graph/typeset/TPhrase.h"

namespace drovix {

class TPhrases : public TOwnedList<TPhrase> {
 public:
  // Removes (and frees) the phrases that hold no word.
  void DropEmpty() {
    std::erase_if(items_, [](const std::unique_ptr<TPhrase>& p) { return p->Words.Count() == 0; });
  }
};

}  // namespace drovix

// A phrase of a vertical balloon: its line is a column of the balloon, its
// length runs downward and its thickness across the column.
#pragma once

#include "drovix_graph/typeset/TPhrase.h"

namespace drovix {

class TVertPhrase : public TPhrase {
 public:
  bool CheckMinSize(int32_t minSize, float scale) const override;
  // max(1, Length(EndsLine)) rows by max(1, Thickness) columns; the words are
  // stacked downward and placed across the column by their VAlign.
  std::unique_ptr<TWord> Render() override;
  int32_t Length(bool withHyphen) const override;
  int32_t Thickness() const override;
  int32_t LineStep() const override;
};

}  // namespace drovix

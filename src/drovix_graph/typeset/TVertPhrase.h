// A phrase of a vertical balloon: its line is a column of the balloon, its
// length runs downward and its thickness across the column.
#pragma once

#include "drovix_graph/typeset/TPhrase.h"

namespace drovix {

class TVertPhrase : public TPhrase {
 public:
  // Letters are measured by the height of their cells, as in horizontal
  // phrases; a picture by its width across the column.
  bool CheckMinSize(int32_t minSize, float scale) const override;
  // max(1, Length(EndsLine)) rows by max(1, Thickness) columns; the words are
  // stacked downward and placed across the column by their VAlign.
  std::unique_ptr<TWord> Draw() const override;
  int32_t Length(bool withHyphen) const override;
  int32_t Thickness() const override;
  // The scaled column width (Thickness).
  int32_t LineStep() const override;
  // Never below the column width, whatever the line spacing.
  int32_t LineAdvance(float spacing) const override;
};

}  // namespace drovix

#include "drovix_graph/typeset/TVertPhrase.h"

#include <algorithm>

namespace drovix {

bool TVertPhrase::CheckMinSize(int32_t minSize, float scale) const { return CheckMinSizeOf<true>(minSize, scale); }
int32_t TVertPhrase::Length(bool withHyphen) const { return LengthOf<true>(withHyphen); }
int32_t TVertPhrase::Thickness() const { return ThicknessOf<true>(); }
int32_t TVertPhrase::LineStep() const { return LineStepOf<true>(); }

std::unique_ptr<TWord> TVertPhrase::Render() {
  auto out = std::make_unique<TWord>();
  out->SetSize(std::max(1, Length(EndsLine)), std::max(1, Thickness()));
  out->FillWhite();
  int32_t y = 0;
  for (int32_t i = 0; i < Words.Count(); ++i) {
    std::unique_ptr<TWord> w = Words.Release(i);
    const int32_t width = std::max(1, WordThickness<true>(*w));
    const int32_t height = WordLength<true>(*w);
    w->Resize(height, width);
    int32_t dx;
    switch (w->VAlign) {
      case 0: dx = out->Width() - width; break;
      case 1: dx = 0; break;
      default: dx = (out->Width() - width) / 2; break;
    }
    if (!w->IsHyphen || EndsLine) out->PasteDarker(*w, y, dx);
    y += height;
  }
  Words.Clear();
  return out;
}

}  // namespace drovix

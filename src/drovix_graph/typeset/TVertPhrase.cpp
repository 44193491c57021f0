#include "drovix_graph/typeset/TVertPhrase.h"

#include <algorithm>

#include "drovix_graph/raster/Rounding.h"

namespace drovix {

bool TVertPhrase::CheckMinSize(int32_t minSize, float scale) const {
  return CheckMinSizeOf<true>(minSize, scale);
}
int32_t TVertPhrase::Length(bool withHyphen) const { return LengthOf<true>(withHyphen); }
int32_t TVertPhrase::Thickness() const { return ThicknessOf<true>(); }
// Columns step by their own scaled width, so that the line spacing widens
// the gap between them from nothing upward: neighbouring columns never
// overlap, whatever share of its cell a font's Ю takes.
int32_t TVertPhrase::LineStep() const { return ThicknessOf<true>(); }
int32_t TVertPhrase::LineAdvance(float spacing) const {
  return std::max(Thickness(), RoundMeasure(static_cast<long double>(LineStep()) * spacing));
}

std::unique_ptr<TWord> TVertPhrase::Draw() const {
  auto out = std::make_unique<TWord>();
  out->SetSize(std::max(1, Length(EndsLine)), std::max(1, Thickness()));
  out->FillWhite();
  PasteWords<true>(*out);
  return out;
}

}  // namespace drovix

#include "drovix_graph/typeset/TPhrase.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/typeset/TFont.h"

namespace drovix {
namespace {

// Sheet extent of a word along its line and across it.
template <bool Vertical>
int32_t Along(const TWord& w) {
  return Vertical ? w.Height() : w.Width();
}
template <bool Vertical>
int32_t Across(const TWord& w) {
  return Vertical ? w.Width() : w.Height();
}
// The sheet extent a word's size is measured on: the height of its cell for
// letters, whichever way they are set (a font's size is the height of Ю,
// never the width of a column of narrow letters), and the extent across
// the line for a picture.
template <bool Vertical>
int32_t SizeAcross(const TWord& w) {
  return Vertical && !w.IsPicture ? TFont::CellSize : Across<Vertical>(w);
}

}  // namespace

TPhrase::TPhrase() = default;
TPhrase::~TPhrase() = default;

void TPhrase::AddWord(std::unique_ptr<TWord> word) {
  EndsParagraph = word->EndsParagraph;
  Justify = word->Justify;
  VAlign = word->VAlign;
  Text += word->Text;
  Words.Add(std::move(word));
}

template <bool Vertical>
bool TPhrase::CheckMinSizeOf(int32_t minSize, float scale) const {
  for (int32_t i = 0; i < Words.Count(); ++i) {
    const TWord& w = Words.Items(i);
    if (RoundMeasure(static_cast<long double>(scale) * w.SizeFactor * SizeAcross<Vertical>(w)) < minSize) {
      return false;
    }
  }
  return true;
}

template <bool Vertical>
int32_t TPhrase::WordLength(const TWord& w) const {
  const long double c = (100 - Compression) / 100.0L;
  const int32_t along = Along<Vertical>(w);
  const int32_t across = SizeAcross<Vertical>(w);
  const int32_t compressed =
      RoundMeasure(static_cast<long double>(Scale) * w.SizeFactor * w.FontScale * along * c);
  const int32_t atMinSize =
      across > 0 ? RoundMeasure(static_cast<long double>(MinSize) / across * w.FontScale * along) : 0;
  // A word is never narrower than one pixel: rasters need a size.
  return std::max({compressed, atMinSize, 1});
}

template <bool Vertical>
int32_t TPhrase::WordThickness(const TWord& w) const {
  return RoundMeasure(static_cast<long double>(Scale) * w.SizeFactor * w.FontScale * Across<Vertical>(w));
}

template <bool Vertical>
int32_t TPhrase::LengthOf(bool withHyphen) const {
  int32_t n = Words.Count();
  if (n > 0 && !withHyphen && Words.Items(n - 1).IsHyphen) --n;
  int64_t sum = 0;
  for (int32_t i = 0; i < n; ++i) sum += WordLength<Vertical>(Words.Items(i));
  return static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
}

template <bool Vertical>
int32_t TPhrase::ThicknessOf() const {
  int32_t t = 0;
  for (int32_t i = 0; i < Words.Count(); ++i) t = std::max(t, WordThickness<Vertical>(Words.Items(i)));
  return t;
}

template <bool Vertical>
int32_t TPhrase::LineStepOf() const {
  int32_t step = 0;
  for (int32_t i = 0; i < Words.Count(); ++i) {
    const TWord& w = Words.Items(i);
    step = std::max(step, RoundMeasure(static_cast<long double>(w.SizeFactor) * Scale * Across<Vertical>(w)));
  }
  return step;
}

template bool TPhrase::CheckMinSizeOf<false>(int32_t, float) const;
template bool TPhrase::CheckMinSizeOf<true>(int32_t, float) const;
template int32_t TPhrase::LengthOf<false>(bool) const;
template int32_t TPhrase::LengthOf<true>(bool) const;
template int32_t TPhrase::ThicknessOf<false>() const;
template int32_t TPhrase::ThicknessOf<true>() const;
template int32_t TPhrase::LineStepOf<false>() const;
template int32_t TPhrase::LineStepOf<true>() const;
template int32_t TPhrase::WordLength<false>(const TWord&) const;
template int32_t TPhrase::WordLength<true>(const TWord&) const;
template int32_t TPhrase::WordThickness<false>(const TWord&) const;
template int32_t TPhrase::WordThickness<true>(const TWord&) const;

bool TPhrase::CheckMinSize(int32_t minSize, float scale) const {
  return CheckMinSizeOf<false>(minSize, scale);
}
int32_t TPhrase::Length(bool withHyphen) const { return LengthOf<false>(withHyphen); }
int32_t TPhrase::Thickness() const { return ThicknessOf<false>(); }
int32_t TPhrase::LineStep() const { return LineStepOf<false>(); }
int32_t TPhrase::LineAdvance(float spacing) const {
  return RoundMeasure(static_cast<long double>(LineStep()) * spacing);
}

std::unique_ptr<TWord> TPhrase::Render() {
  std::unique_ptr<TWord> out = Draw();
  Words.Clear();
  return out;
}

std::unique_ptr<TWord> TPhrase::Draw() const {
  auto out = std::make_unique<TWord>();
  out->SetSize(Thickness(), Length(EndsLine));
  out->FillWhite();
  PasteWords<false>(*out);
  return out;
}

template <bool Vertical>
void TPhrase::PasteWords(TWord& out) const {
  // The extent of out across the line.
  const int32_t room = Vertical ? out.Width() : out.Height();
  int32_t along = 0;
  for (int32_t i = 0; i < Words.Count(); ++i) {
    const TWord& w = Words.Items(i);
    const int32_t length = WordLength<Vertical>(w);
    const int32_t thickness = std::max(1, WordThickness<Vertical>(w));
    int32_t across;
    switch (w.VAlign) {
      case 0:
        across = room - thickness;
        break;
      case 1:
        across = 0;
        break;
      default:
        across = (room - thickness) / 2;
        break;
    }
    if (!w.IsHyphen || EndsLine) {
      const std::unique_ptr<TDrovixGraph> scaled = w.Clone();
      if constexpr (Vertical) {
        scaled->Resize(length, thickness);
        out.PasteDarker(*scaled, along, across);
      } else {
        scaled->Resize(thickness, length);
        out.PasteDarker(*scaled, across, along);
      }
    }
    along += length;
  }
}

template void TPhrase::PasteWords<false>(TWord&) const;
template void TPhrase::PasteWords<true>(TWord&) const;

}  // namespace drovix

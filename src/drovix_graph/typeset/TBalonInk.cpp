// The ink check of a balloon's layout: which positions of every line a
// drawn phrase inks, and whether the layout in place would put any of it
// outside the balloon's interior.
#include <algorithm>
#include <cstdint>

#include "drovix_graph/typeset/TBalon.h"

namespace drovix {

const TBalon::TInk& TBalon::InkOf(int32_t i) {
  const TPhrase& p = Phrases->Items(i);
  if (p.Scale != inkScale_ || p.MinSize != inkMinSize_ ||
      inks_.size() != static_cast<size_t>(Phrases->Count()) * TLoathingArray::Compressions * 2) {
    inks_.clear();
    inks_.resize(static_cast<size_t>(Phrases->Count()) * TLoathingArray::Compressions * 2);
    inkScale_ = p.Scale;
    inkMinSize_ = p.MinSize;
  }
  std::unique_ptr<TInk>& slot =
      inks_[(static_cast<size_t>(i) * TLoathingArray::Compressions + static_cast<size_t>(p.Compression)) * 2 +
            (p.EndsLine ? 1 : 0)];
  if (!slot) {
    slot = std::make_unique<TInk>();
    const std::unique_ptr<TWord> drawn = p.Draw();
    // Rows of a horizontal phrase cross its lines; the columns of a vertical
    // one do, counted from the right in a right-to-left balloon.
    const int32_t lines = vertical_ ? drawn->Width() : drawn->Height();
    slot->from.assign(static_cast<size_t>(lines), INT32_MAX);
    slot->to.assign(static_cast<size_t>(lines), INT32_MIN);
    for (int32_t r = 0; r < drawn->Height(); ++r) {
      const int32_t* row = drawn->RowPtr(r);
      for (int32_t c = 0; c < drawn->Width(); ++c) {
        if (row[c] >= 255) continue;
        const int32_t line = !vertical_ ? r : hardcore_ ? lines - 1 - c : c;
        const int32_t pos = vertical_ ? r : c;
        int32_t& from = slot->from[static_cast<size_t>(line)];
        int32_t& to = slot->to[static_cast<size_t>(line)];
        from = std::min(from, pos);
        to = std::max(to, pos);
      }
    }
  }
  return *slot;
}

bool TBalon::LosesInk() {
  for (int32_t i = 0; i < Phrases->Count(); ++i) {
    const TPhrase& p = Phrases->Items(i);
    const TInk& ink = InkOf(i);
    for (size_t b = 0; b < ink.from.size(); ++b) {
      if (ink.from[b] > ink.to[b]) continue;
      const int64_t line = int64_t{p.Y} + static_cast<int64_t>(b);
      if (line < FirstLine || line > LastLine) return true;
      const size_t l = static_cast<size_t>(line);
      if (int64_t{p.X} + ink.from[b] < SpanFrom[l] || int64_t{p.X} + ink.to[b] > SpanTo[l]) return true;
    }
  }
  return false;
}

}  // namespace drovix

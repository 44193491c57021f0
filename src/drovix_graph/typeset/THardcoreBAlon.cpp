#include "drovix_graph/typeset/THardcoreBAlon.h"

namespace drovix {

THardcoreBAlon::THardcoreBAlon(const TDrovixGraph& mask, int32_t maxX, int32_t maxY, int32_t minX,
                               int32_t minY)
    : TVertBalon(mask, maxX, maxY, minX, minY) {
  hardcore_ = true;
}

// Line i is column Width - 1 - i: lines are counted from the right edge, so
// the first column of text stands at the right. Positions run downward, as
// the phrases are drawn.
void THardcoreBAlon::BuildShape() {
  const int32_t right = Width() - 1;
  BuildSpans(Width(), Height(),
             [this, right](int32_t line, int32_t pos) -> int32_t& { return RowPtr(pos)[right - line]; });
}

// A phrase across lines Y .. Y + w - 1 covers columns Width - Y - w ..
// Width - 1 - Y: exactly the columns its lines were measured on.
void THardcoreBAlon::RenderText() {
  for (int32_t i = 0; i < Phrases->Count(); ++i) {
    TPhrase& p = Phrases->Items(i);
    const std::unique_ptr<TWord> drawn = p.Render();
    PasteDarker(*drawn, p.X, Width() - p.Y - drawn->Width());
  }
}

}  // namespace drovix

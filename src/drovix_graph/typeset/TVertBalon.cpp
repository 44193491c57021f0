#include "drovix_graph/typeset/TVertBalon.h"

namespace drovix {

TVertBalon::TVertBalon(const TDrovixGraph& mask, int32_t maxX, int32_t maxY, int32_t minX, int32_t minY)
    : TBalon(mask, maxX, maxY, minX, minY) {
  vertical_ = true;
}

void TVertBalon::BuildShape() {
  BuildSpans(Width(), Height(), [this](int32_t line, int32_t pos) -> int32_t& { return RowPtr(pos)[line]; });
}

void TVertBalon::RenderText() {
  for (int32_t i = 0; i < Phrases->Count(); ++i) {
    TPhrase& p = Phrases->Items(i);
    const std::unique_ptr<TWord> drawn = p.Render();
    PasteDarker(*drawn, p.X, p.Y);
  }
}

}  // namespace drovix

// The balloon's shape: the raster cut from the balloon mask, its line spans
// with the range tables behind LineStart and LineWidth, the drawing of a
// finished layout, and the phrase list the layout works on.
#include "drovix_graph/typeset/TBalon.h"

#include <algorithm>
#include <utility>

#include "drovix_graph/typeset/ParseText.h"

namespace drovix {

TBalon::TBalon(const TDrovixGraph& mask, int32_t maxX, int32_t maxY, int32_t minX, int32_t minY) {
  const int32_t h = maxY - minY + 1;
  const int32_t w = maxX - minX + 1;
  if (h <= 0 || w <= 0) return;  // no box: a balloon without interior
  SetSize(h, w);
  for (int32_t r = 0; r < h; ++r) {
    int32_t* row = RowPtr(r);
    const int32_t my = minY + r;
    const int32_t* maskRow = my >= 0 && my < mask.Height() ? mask.RowPtr(my) : nullptr;
    const int32_t maskWidth = mask.Width();
    for (int32_t c = 0; c < w; ++c) {
      const int32_t mx = minX + c;
      row[c] = maskRow != nullptr && mx >= 0 && mx < maskWidth && maskRow[mx] == 1 ? 255 : -1;
    }
  }
}

TBalon::~TBalon() = default;

void TBalon::BuildShape() {
  BuildSpans(Height(), Width(), [this](int32_t line, int32_t pos) -> int32_t& { return RowPtr(line)[pos]; });
}

void TBalon::RenderText() {
  for (int32_t i = 0; i < Phrases->Count(); ++i) {
    TPhrase& p = Phrases->Items(i);
    const std::unique_ptr<TWord> drawn = p.Render();
    PasteDarker(*drawn, p.Y, p.X);
  }
}

void TBalon::BuildRangeTables() {
  const int32_t n = SpanFrom.Count();
  largestFrom_.assign(1, std::vector<int32_t>(SpanFrom.begin(), SpanFrom.end()));
  smallestTo_.assign(1, std::vector<int32_t>(SpanTo.begin(), SpanTo.end()));
  for (int32_t len = 2; len <= n; len *= 2) {
    const std::vector<int32_t>& from = largestFrom_.back();
    const std::vector<int32_t>& to = smallestTo_.back();
    const size_t half = static_cast<size_t>(len / 2);
    std::vector<int32_t> nextFrom(static_cast<size_t>(n - len + 1));
    std::vector<int32_t> nextTo(nextFrom.size());
    for (size_t i = 0; i < nextFrom.size(); ++i) {
      nextFrom[i] = std::max(from[i], from[i + half]);
      nextTo[i] = std::min(to[i], to[i + half]);
    }
    largestFrom_.push_back(std::move(nextFrom));
    smallestTo_.push_back(std::move(nextTo));
  }
}

void TBalon::ParseText(const std::string& text, TArrayofFont& fonts, int32_t minHyphenLength, bool vertical,
                       int32_t fontSize) {
  SetPhrases(drovix::ParseText(text, fonts, minHyphenLength, vertical, fontSize, Number));
}

void TBalon::SetPhrases(std::unique_ptr<TPhrases> phrases) {
  Phrases = std::move(phrases);
  inks_.clear();
  measures_.clear();
  measured_.fill(false);
}

}  // namespace drovix

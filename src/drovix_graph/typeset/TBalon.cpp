#include "drovix_graph/typeset/TBalon.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <utility>

#include "driver/Console.h"
#include "driver/Cp1251.h"
#include "driver/Error.h"
#include "drovix_graph/typeset/Nearest.h"
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
  BuildSpans(
      Height(), Width(), [this](int32_t line, int32_t pos) { return RowPtr(line)[pos] == 255; },
      [this](int32_t line, int32_t pos) { RowPtr(line)[pos] = 255; });
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

namespace {

// The level of the range tables covering a band of h lines with two pieces.
size_t RangeLevel(int32_t h) { return static_cast<size_t>(std::bit_width(static_cast<uint32_t>(h)) - 1); }

}  // namespace

int32_t TBalon::LineStart(int32_t y, int32_t h) const {
  h = std::max(h, 1);
  if (y < FirstLine || y > LastLine - h + 1 || !HasInterior()) return -1;
  const size_t level = RangeLevel(h);
  const std::vector<int32_t>& from = largestFrom_[level];
  return std::max(from[static_cast<size_t>(y)], from[static_cast<size_t>(y + h) - (size_t{1} << level)]);
}

int32_t TBalon::LineWidth(int32_t y, int32_t h) const {
  const int32_t start = LineStart(y, h);
  if (start < 0) return -1;
  h = std::max(h, 1);
  const size_t level = RangeLevel(h);
  const std::vector<int32_t>& to = smallestTo_[level];
  const int32_t end = std::min(to[static_cast<size_t>(y)], to[static_cast<size_t>(y + h) - (size_t{1} << level)]);
  return end - start - 1;
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

const TBalon::TMeasure* TBalon::MeasuresFor(int32_t k, int32_t minSize, float scale, float spacing) {
  const int32_t n = Phrases->Count();
  const size_t rowSize = static_cast<size_t>(n);
  if (measures_.size() != rowSize * TLoathingArray::Compressions || scale != measuredScale_ ||
      minSize != measuredMinSize_ || spacing != measuredSpacing_) {
    measures_.resize(rowSize * TLoathingArray::Compressions);
    measured_.fill(false);
    measuredScale_ = scale;
    measuredMinSize_ = minSize;
    measuredSpacing_ = spacing;
  }
  TMeasure* row = measures_.data() + rowSize * static_cast<size_t>(k);
  if (!measured_[static_cast<size_t>(k)]) {
    const float c = static_cast<float>((100 - k) / 100.0L);
    for (int32_t i = 0; i < n; ++i) {
      TPhrase& p = Phrases->Items(i);
      p.Compression = k;
      p.MinSize = minSize;
      p.Scale = scale;
      TMeasure& m = row[i];
      m.lengthWith = p.Length(true);
      m.lengthWithout = p.Length(false);
      m.thickness = p.Thickness();
      m.lineAdvance = p.LineAdvance(spacing);
      m.space = Nearest(static_cast<long double>(m.thickness) / 2 * c);
      m.minSizeOk = p.CheckMinSize(minSize, scale);
    }
    measured_[static_cast<size_t>(k)] = true;
  }
  return row;
}

void TBalon::RaiseMinSize(int32_t phraseIndex, int32_t minSize, float scale) const {
  Raise(Format(Ru("При попытке впихнуть текст в балон №%d, при уменьшении масштаба до %d%s,\n\r произошло "
                  "нарушение минимального размера шрифта (%d)\n\r в слове №%d (\"%s\")."),
               Number, Nearest(static_cast<long double>(scale) * 100), "%", minSize, phraseIndex + 1,
               Phrases->Items(phraseIndex).Text.c_str()));
}

int32_t TBalon::LayoutCost(int32_t startLine, int32_t minSize, float deviationLoathing, float transitionLoathing,
                           float shortLineLoathing, float compressionLoathing, float spacing, int32_t k,
                           float scale) {
  if (!Phrases) return NoFit;
  if (hardcore_) spacing = static_cast<float>(static_cast<long double>(spacing) + 0.5L);
  const int32_t n = Phrases->Count();
  const TMeasure* m = MeasuresFor(k, minSize, scale, spacing);
  for (int32_t i = 0; i < n; ++i) {
    TPhrase& p = Phrases->Items(i);
    p.X = 0;
    p.Y = 0;
    p.EndsLine = false;
  }

  // Costs can add up past 32 bits in absurd cases; they saturate just below
  // NoFit so that a layout that fits never reads as one that does not.
  int64_t penalty = 0;
  int32_t y = startLine;
  int32_t lineH = 0;
  int32_t count = 0;
  int64_t lineW = 0;
  const int32_t compressionCost = Nearest(static_cast<long double>(compressionLoathing) * 100 * k);
  const int32_t hyphenCost = Nearest(static_cast<long double>(transitionLoathing) * 50000);

  // The gap before phrase i on its line. A phrase that continues a word
  // broken at an optional hyphen is joined without a gap, as it is placed;
  // counting a gap there would make the line look longer than it is drawn,
  // pushing centred lines off centre and breaking lines too early.
  const auto gapBefore = [&](int32_t i) {
    return count > 0 && !Phrases->Items(i - 1).HyphenAfter ? m[i].space : 0;
  };
  const auto fitsOnLine = [&](int32_t i) {
    const int64_t need = int64_t{m[i].lengthWith} + lineW + gapBefore(i);
    const int32_t avail = LineWidth(y, std::max(lineH, m[i].thickness));
    return avail > need;
  };
  const auto addToLine = [&](int32_t i) {
    lineH = std::max(lineH, m[i].lineAdvance);
    lineW += m[i].lengthWithout + gapBefore(i);
    ++count;
    penalty += compressionCost;
  };
  const auto lengthOnLine = [&](int32_t j, int32_t last) {
    return j == last ? m[j].lengthWith : m[j].lengthWithout;
  };
  // Places the line ending with phrase `last`; false when the line's band
  // (grown by the line spacing) leaves the balloon or has no usable length.
  const auto finishLine = [&](int32_t last) {
    const int32_t first = last - count + 1;
    const int32_t lw = LineWidth(y, lineH);
    if (lw <= 0) return false;
    const int32_t lx = LineStart(y, lineH);
    const int32_t lend = lx + lw;
    TPhrase& lastPhrase = Phrases->Items(last);
    lastPhrase.EndsLine = true;
    if (lastPhrase.HyphenAfter) penalty += hyphenCost;
    if (hardcore_) lastPhrase.Justify = JLEFT;
    const auto placeFromLeft = [&](int64_t x) {
      for (int32_t j = first; j <= last; ++j) {
        TPhrase& p = Phrases->Items(j);
        p.X = static_cast<int32_t>(x);
        x += lengthOnLine(j, last);
        if (!p.HyphenAfter) x += m[j].space;
      }
      return x;
    };
    int64_t slack;
    switch (lastPhrase.Justify) {
      case JLEFT:
        slack = std::max<int64_t>(0, lend - placeFromLeft(lx));
        break;
      case JRIGHT: {
        int64_t x = lend;
        for (int32_t j = last; j >= first; --j) {
          x -= lengthOnLine(j, last);
          Phrases->Items(j).X = static_cast<int32_t>(x);
          if (j > 0 && !Phrases->Items(j - 1).HyphenAfter) x -= m[j].space;
        }
        slack = std::max<int64_t>(0, x - lx);
        break;
      }
      default:  // JCENTER, and JWIDTH, which stretches no space
        slack = std::max<int64_t>(0, lw - lineW);
        placeFromLeft(lx + slack / 2);
        break;
    }
    penalty += Nearest(static_cast<long double>(shortLineLoathing) * 500 * slack / lw);
    for (int32_t j = first; j <= last; ++j) {
      TPhrase& p = Phrases->Items(j);
      switch (p.VAlign) {
        case 0: p.Y = y + lineH - m[j].thickness; break;
        case 1: p.Y = y; break;
        default: p.Y = y + (lineH - m[j].thickness) / 2; break;
      }
    }
    y += lineH;
    count = 0;
    lineW = 0;
    return true;
  };

  for (int32_t i = 0; i < n; ++i) {
    TPhrase& p = Phrases->Items(i);
    p.Compression = k;
    p.MinSize = minSize;
    p.Scale = scale;
    if (!m[i].minSizeOk) RaiseMinSize(i, minSize, scale);
    if (fitsOnLine(i)) {
      addToLine(i);
    } else {
      if (count == 0) return NoFit;
      if (!finishLine(i - 1)) return NoFit;
      if (!fitsOnLine(i)) return NoFit;
      addToLine(i);
    }
    if (i == n - 1 || p.EndsParagraph) {
      if (!finishLine(i)) return NoFit;
    }
  }
  // Twice the distance between the middles of the text block and the balloon.
  if (LastLine != FirstLine) {
    const int64_t offCentre = std::llabs(int64_t{startLine} + y - FirstLine - LastLine);
    penalty += Nearest(static_cast<long double>(offCentre) * 60000 * deviationLoathing / (LastLine - FirstLine));
  }
  return static_cast<int32_t>(std::min<int64_t>(penalty, NoFit - 1));
}

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

bool TBalon::PlaceWithAllInk(int32_t& line, int32_t& k, const std::function<void(int32_t, int32_t)>& place) {
  place(line, k);
  if (!LosesInk()) return true;
  // The cheapest layout would cut letters (the cells of a first line or of
  // an enlarged word reach past the balloon): it is not chosen, and neither
  // is any other that would; the next in the order of the search that keeps
  // all its ink wins.
  struct TCandidate {
    int32_t cost, line, k;
  };
  std::vector<TCandidate> order;
  for (int32_t r = FirstLine; r <= LastLine; ++r) {
    for (int32_t c = TLoathingArray::Compressions - 1; c >= 0; --c) {
      const int32_t cost = Loathing.Row(c)[r];
      if (cost < NoFit && !(r == line && c == k)) order.push_back({cost, r, c});
    }
  }
  Loathing.Row(k)[line] = NoFit;
  std::stable_sort(order.begin(), order.end(),
                   [](const TCandidate& a, const TCandidate& b) { return a.cost < b.cost; });
  for (const TCandidate& c : order) {
    place(c.line, c.k);
    if (!LosesInk()) {
      line = c.line;
      k = c.k;
      return true;
    }
    Loathing.Row(c.k)[c.line] = NoFit;
  }
  return false;
}

void TBalon::Typeset(const std::string& text, TArrayofFont& fonts, float deviationLoathing, float transitionLoathing,
                     float shortLineLoathing, float compressionLoathing, int32_t minHyphenLength, float spacing,
                     float initialScale, int32_t maxCompression, int32_t minFontSize, int32_t fontSize) {
  ChosenLine = -1;
  ChosenCompression = -1;
  ChosenScale = 0;
  if (text.empty()) return;
  ParseText(text, fonts, minHyphenLength, vertical_, fontSize);
  ConsoleWriteRaw(".");
  if (Phrases->Count() == 0) return;
  Fit(deviationLoathing, transitionLoathing, shortLineLoathing, compressionLoathing, spacing, initialScale,
      maxCompression, minFontSize);
}

void TBalon::Fit(float deviationLoathing, float transitionLoathing, float shortLineLoathing,
                 float compressionLoathing, float spacing, float initialScale, int32_t maxCompression,
                 int32_t minFontSize) {
  ChosenLine = -1;
  ChosenCompression = -1;
  ChosenScale = 0;
  if (!Phrases || Phrases->Count() == 0) return;
  if (!HasInterior()) {
    Raise(Format(Ru("Балон №%d пустой: в его разметке нет ни одной точки, куда можно вписать текст."), Number));
  }
  maxCompression = Clamp(maxCompression, 0, TLoathingArray::Compressions - 1);
  // A minimum size of at least 1 is what ends the shrinking for certain.
  minFontSize = std::max(minFontSize, 1);
  float s = std::isfinite(initialScale) ? initialScale : 1.0f;
  for (;;) {
    for (int32_t r = FirstLine; r <= LastLine; ++r) {
      for (int32_t k = 0; k < TLoathingArray::Compressions; ++k) {
        Loathing.Row(k)[r] = k <= maxCompression
                                 ? LayoutCost(r, minFontSize, deviationLoathing, transitionLoathing,
                                              shortLineLoathing, compressionLoathing, spacing, k, s)
                                 : NoFit;
      }
    }
    // Ties go to the earliest start line, and within it to the highest
    // compression.
    int32_t best = NoFit;
    int32_t bestLine = -1;
    int32_t bestK = -1;
    for (int32_t r = FirstLine; r <= LastLine; ++r) {
      for (int32_t k = TLoathingArray::Compressions - 1; k >= 0; --k) {
        if (Loathing.Row(k)[r] < best) {
          best = Loathing.Row(k)[r];
          bestLine = r;
          bestK = k;
        }
      }
    }
    const auto place = [&](int32_t line, int32_t k) {
      LayoutCost(line, minFontSize, deviationLoathing, transitionLoathing, shortLineLoathing, compressionLoathing,
                 spacing, k, s);
    };
    if (best < NoFit && PlaceWithAllInk(bestLine, bestK, place)) {
      ChosenLine = bestLine;
      ChosenCompression = bestK;
      ChosenScale = s;
      RenderText();
      return;
    }
    s = static_cast<float>(s / 1.17L);
    ConsoleWriteRaw(".");
  }
}

}  // namespace drovix

// The price of one layout of a balloon's phrases (LayoutCost): the lines
// filled greedily from a start line, every phrase placed along and across
// its line, and the penalty of the four loathings; with the per-compression
// phrase measures the pricing reads.
#include <algorithm>
#include <cstdlib>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/typeset/TBalon.h"

namespace drovix {

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
      m.space = RoundMeasure(static_cast<long double>(m.thickness) / 2 * c);
      m.minSizeOk = p.CheckMinSize(minSize, scale);
    }
    measured_[static_cast<size_t>(k)] = true;
  }
  return row;
}

void TBalon::RaiseMinSize(int32_t phraseIndex, int32_t minSize, float scale) const {
  Raise(Format(Ru("При попытке впихнуть текст в балон №%d, при уменьшении масштаба до %d%s,\n\r произошло "
                  "нарушение минимального размера шрифта (%d)\n\r в слове №%d (\"%s\")."),
               Number, RoundMeasure(static_cast<long double>(scale) * 100), "%", minSize, phraseIndex + 1,
               Phrases->Items(phraseIndex).Text.c_str()));
}

// The lines of one pass as they fill up: the line being filled starts at line
// index y_, its band is lineH_ lines (the running maximum of the line
// advances: it is not reset between lines), and it holds count_ phrases of
// total length lineW_ (without the last one's hyphen). Everything here runs
// for every phrase of every layout the search prices, and stays in this file
// so that it inlines into LayoutCost.
class TBalon::TLineLayout {
 public:
  TLineLayout(const TBalon& balloon, const TMeasure* measures, int32_t startLine,
              const TTypesetSettings& settings, int32_t k)
      : balloon_(balloon),
        phrases_(*balloon.Phrases),
        m_(measures),
        y_(startLine),
        compressionCost_(RoundMeasure(static_cast<long double>(settings.CompressionLoathing) * 100 * k)),
        hyphenCost_(RoundMeasure(static_cast<long double>(settings.TransitionLoathing) * 50000)),
        shortLineLoathing_(settings.ShortLineLoathing) {}

  bool LineIsEmpty() const { return count_ == 0; }

  // True when phrase i, its hyphen included, still fits on the line: the
  // band grown to the phrase's thickness is longer than the line would be.
  bool FitsOnLine(int32_t i) const {
    const int64_t need = int64_t{m_[i].lengthWith} + lineW_ + GapBefore(i);
    const int32_t avail = balloon_.LineWidth(y_, std::max(lineH_, m_[i].thickness));
    return avail > need;
  }

  // Puts phrase i on the line; every phrase costs its compression.
  void AddToLine(int32_t i) {
    lineH_ = std::max(lineH_, m_[i].lineAdvance);
    lineW_ += m_[i].lengthWithout + GapBefore(i);
    ++count_;
    penalty_ += compressionCost_;
  }

  // Places the line ending with phrase `last` and starts the next one; false
  // when the line's band (grown by the line spacing) leaves the balloon or
  // has no usable length.
  bool FinishLine(int32_t last) {
    const int32_t first = last - count_ + 1;
    const int32_t lw = balloon_.LineWidth(y_, lineH_);
    if (lw <= 0) return false;
    const int32_t lx = balloon_.LineStart(y_, lineH_);
    const int32_t lend = lx + lw;
    TPhrase& lastPhrase = phrases_.Items(last);
    lastPhrase.EndsLine = true;
    if (lastPhrase.HyphenAfter) penalty_ += hyphenCost_;
    if (balloon_.hardcore_) lastPhrase.Justify = JLEFT;
    int64_t slack;
    switch (lastPhrase.Justify) {
      case JLEFT:
        slack = std::max<int64_t>(0, lend - PlaceFromStart(first, last, lx));
        break;
      case JRIGHT:
        slack = std::max<int64_t>(0, PlaceFromEnd(first, last, lend) - lx);
        break;
      default:  // JCENTER, and JWIDTH, which stretches no space
        slack = std::max<int64_t>(0, lw - lineW_);
        PlaceFromStart(first, last, lx + slack / 2);
        break;
    }
    penalty_ += RoundMeasure(static_cast<long double>(shortLineLoathing_) * 500 * slack / lw);
    AlignAcross(first, last);
    y_ += lineH_;
    count_ = 0;
    lineW_ = 0;
    return true;
  }

  // Adds the price of the text block's distance from the balloon's middle,
  // once the last line is finished.
  void PriceCentring(int32_t startLine, float deviationLoathing) {
    const int32_t firstLine = balloon_.FirstLine;
    const int32_t lastLine = balloon_.LastLine;
    if (lastLine == firstLine) return;
    // Twice the distance between the middles of the text block and the balloon.
    const int64_t offCentre = std::llabs(int64_t{startLine} + y_ - firstLine - lastLine);
    penalty_ += RoundMeasure(static_cast<long double>(offCentre) * 60000 * deviationLoathing /
                             (lastLine - firstLine));
  }

  int32_t Penalty() const { return static_cast<int32_t>(std::min<int64_t>(penalty_, NoFit - 1)); }

 private:
  // The gap before phrase i on its line. A phrase that continues a word
  // broken at an optional hyphen is joined without a gap, as it is placed;
  // counting a gap there would make the line look longer than it is drawn,
  // pushing centred lines off centre and breaking lines too early.
  int32_t GapBefore(int32_t i) const {
    return count_ > 0 && !phrases_.Items(i - 1).HyphenAfter ? m_[i].space : 0;
  }

  // Only the phrase that ends the line shows its hyphen.
  int32_t LengthOnLine(int32_t j, int32_t last) const {
    return j == last ? m_[j].lengthWith : m_[j].lengthWithout;
  }

  // Places phrases first..last one after the other from position x; returns
  // the position after the last one and its space.
  int64_t PlaceFromStart(int32_t first, int32_t last, int64_t x) {
    for (int32_t j = first; j <= last; ++j) {
      TPhrase& p = phrases_.Items(j);
      p.X = static_cast<int32_t>(x);
      x += LengthOnLine(j, last);
      if (!p.HyphenAfter) x += m_[j].space;
    }
    return x;
  }

  // Places phrases last..first backward so that the last one ends at x;
  // returns the position before the first one and its space.
  int64_t PlaceFromEnd(int32_t first, int32_t last, int64_t x) {
    for (int32_t j = last; j >= first; --j) {
      x -= LengthOnLine(j, last);
      phrases_.Items(j).X = static_cast<int32_t>(x);
      if (j > 0 && !phrases_.Items(j - 1).HyphenAfter) x -= m_[j].space;
    }
    return x;
  }

  // Sets Y of phrases first..last within the band: bottoms, tops or middles
  // together as their vertical alignment says.
  void AlignAcross(int32_t first, int32_t last) {
    for (int32_t j = first; j <= last; ++j) {
      TPhrase& p = phrases_.Items(j);
      switch (p.VAlign) {
        case 0:
          p.Y = y_ + lineH_ - m_[j].thickness;
          break;
        case 1:
          p.Y = y_;
          break;
        default:
          p.Y = y_ + (lineH_ - m_[j].thickness) / 2;
          break;
      }
    }
  }

  const TBalon& balloon_;
  TPhrases& phrases_;
  const TMeasure* m_;
  int32_t y_;
  int32_t lineH_ = 0;
  int32_t count_ = 0;
  int64_t lineW_ = 0;
  // Costs can add up past 32 bits in absurd cases; they saturate just below
  // NoFit so that a layout that fits never reads as one that does not.
  int64_t penalty_ = 0;
  const int32_t compressionCost_;
  const int32_t hyphenCost_;
  const float shortLineLoathing_;
};

int32_t TBalon::LayoutCost(int32_t startLine, const TTypesetSettings& settings, int32_t k, float scale) {
  if (!Phrases) return NoFit;
  float spacing = settings.LineSpacing;
  if (hardcore_) spacing = static_cast<float>(static_cast<long double>(spacing) + 0.5L);
  const int32_t minSize = settings.MinFontSize;
  const int32_t n = Phrases->Count();
  const TMeasure* m = MeasuresFor(k, minSize, scale, spacing);
  for (int32_t i = 0; i < n; ++i) {
    TPhrase& p = Phrases->Items(i);
    p.X = 0;
    p.Y = 0;
    p.EndsLine = false;
  }

  TLineLayout lines(*this, m, startLine, settings, k);
  for (int32_t i = 0; i < n; ++i) {
    TPhrase& p = Phrases->Items(i);
    p.Compression = k;
    p.MinSize = minSize;
    p.Scale = scale;
    if (!m[i].minSizeOk) RaiseMinSize(i, minSize, scale);
    if (lines.FitsOnLine(i)) {
      lines.AddToLine(i);
    } else {
      if (lines.LineIsEmpty()) return NoFit;
      if (!lines.FinishLine(i - 1)) return NoFit;
      if (!lines.FitsOnLine(i)) return NoFit;
      lines.AddToLine(i);
    }
    if (i == n - 1 || p.EndsParagraph) {
      if (!lines.FinishLine(i)) return NoFit;
    }
  }
  lines.PriceCentring(startLine, settings.DeviationLoathing);
  return lines.Penalty();
}

}  // namespace drovix

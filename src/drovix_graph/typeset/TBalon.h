// A balloon: the interior of one red-marked speech balloon cut out as a
// raster of its bounding box (-1 outside, 255 inside), with its usable line
// spans, its phrases, and the search that fits the text in. Lines are rows
// here; TVertBalon and THardcoreBAlon lay columns.
// The shape is built in TBalon.cpp, one layout is priced in
// TBalonLayoutCost.cpp, its ink checked in TBalonInk.cpp, and the search
// runs in TBalonFit.cpp.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/typeset/TFont.h"
#include "drovix_graph/typeset/TLoathingArray.h"
#include "drovix_graph/typeset/TPhrases.h"
#include "drovix_graph/typeset/TTypesetSettings.h"

namespace drovix {

class TBalon : public TDrovixGraph {
 public:
  static constexpr int32_t NoFit = 2147483647;

  // A balloon of class T made from the mask of a balloon fill (1 inside) and
  // its bounding box in mask pixels, with its shape built. Mask pixels
  // outside the mask's own bounds count as outside the balloon.
  template <class T>
  static std::unique_ptr<T> Create(const TDrovixGraph& mask, int32_t maxX, int32_t maxY, int32_t minX,
                                   int32_t minY) {
    auto balloon = std::make_unique<T>(mask, maxX, maxY, minX, minY);
    balloon->BuildShape();
    return balloon;
  }

  // Fills the raster from the mask only; use Create, which also builds the
  // shape (a constructor cannot reach the descendants' BuildShape).
  TBalon(const TDrovixGraph& mask, int32_t maxX, int32_t maxY, int32_t minX, int32_t minY);
  ~TBalon() override;

  // Computes FirstLine, LastLine and the spans, sizes the cost rows, and
  // makes every line's span interior (holes and notches filled).
  virtual void BuildShape();
  // Draws every phrase of the current layout into the raster.
  virtual void RenderText();

  // Usable start of the band of lines y..y+h-1: the largest span start, or
  // -1 when the band leaves the balloon. A band under one line counts as one.
  // Answered in constant time from tables built with the shape (the spans
  // do not change after BuildShape), and inline: the layout pass asks for
  // every phrase.
  int32_t LineStart(int32_t y, int32_t h) const;
  // Usable length of the band, both edge pixels excluded, or -1.
  int32_t LineWidth(int32_t y, int32_t h) const;

  // Replaces Phrases (always through here: the layout caches their measures).
  void SetPhrases(std::unique_ptr<TPhrases> phrases);
  // Replaces Phrases by the phrases of text (see ParseText).
  void ParseText(const std::string& text, TArrayofFont& fonts, int32_t minHyphenLength, bool vertical,
                 int32_t fontSize);

  // Lays the phrases out greedily from startLine with compression k at
  // scale and returns the penalty, or NoFit. Reads the loathings, the line
  // spacing and the minimum font size of settings. Leaves X, Y and EndsLine
  // of the phrases describing the layout. Raises EDrovixError with the
  // minimum-size message when a word falls below the minimum font size.
  int32_t LayoutCost(int32_t startLine, const TTypesetSettings& settings, int32_t k, float scale);

  // Parses text and fits it: every start line and every compression up to
  // settings.MaxCompression is priced, the cheapest that keeps all its ink
  // inside the balloon is rendered; when nothing fits
  // the scale, starting at initialScale, is divided by 1.17 (a "." per
  // retry) until it fits or a word falls below the minimum size
  // (EDrovixError), or, for letters of no finite size, until the scale
  // cannot get any smaller (EDrovixError). An empty text does nothing.
  // Raises EDrovixError for a balloon without interior. Every round of the
  // search is a step boundary (CheckForStop).
  void Typeset(const std::string& text, TArrayofFont& fonts, const TTypesetSettings& settings,
               float initialScale);

  // The search and rendering part of Typeset, on the phrases already in
  // Phrases (at least one); settings.MinHyphenLength and FontSize are not read.
  void Fit(const TTypesetSettings& settings, float initialScale);

  bool IsVertical() const { return vertical_; }
  bool IsHardcore() const { return hardcore_; }
  // False for a mask without a single interior pixel.
  bool HasInterior() const { return FirstLine <= LastLine && LastLine < SpanFrom.Count(); }

  int32_t FirstLine = 0;
  int32_t LastLine = 0;
  std::unique_ptr<TPhrases> Phrases;  // set through SetPhrases
  TAOI SpanFrom;
  TAOI SpanTo;
  TLoathingArray Loathing;
  int32_t Number = 0;
  // The winner of the last Typeset: start line, compression and scale.
  int32_t ChosenLine = -1;
  int32_t ChosenCompression = -1;
  float ChosenScale = 0;

 protected:
  // Line spans measured along `lines` line indexes; pixel(line, pos) is the
  // raster pixel at that position of that line (255 inside).
  template <class PixelAt>
  void BuildSpans(int32_t lines, int32_t positions, PixelAt pixel);

  bool vertical_ = false;
  bool hardcore_ = false;

 private:
  // Range tables over the spans: level j holds the largest SpanFrom and the
  // smallest SpanTo over the 2^j lines starting at each line.
  void BuildRangeTables();
  // The level of the range tables covering a band of h lines with two pieces.
  static size_t RangeLevel(int32_t h) {
    return static_cast<size_t>(std::bit_width(static_cast<uint32_t>(h)) - 1);
  }
  std::vector<std::vector<int32_t>> largestFrom_;
  std::vector<std::vector<int32_t>> smallestTo_;

  // What LayoutCost needs of a phrase, for one compression percent at the
  // scale and minimum size in force.
  struct TMeasure {
    int32_t lengthWith = 0;     // Length(true)
    int32_t lengthWithout = 0;  // Length(false)
    int32_t thickness = 0;
    int32_t lineAdvance = 0;  // nearest(LineStep * spacing)
    int32_t space = 0;        // the space before or after the phrase
    bool minSizeOk = true;
  };
  // The measures of every phrase for compression k, computed once per scale,
  // minimum size and phrase list: the search prices every start line with
  // the same words.
  const TMeasure* MeasuresFor(int32_t k, int32_t minSize, float scale, float spacing);
  [[noreturn]] void RaiseMinSize(int32_t phraseIndex, int32_t minSize, float scale) const;
  // The lines of one LayoutCost pass as they fill up, and their price.
  class TLineLayout;

  // The ink of a drawn phrase: for every line it crosses, counted from its
  // Y, the first and last position holding a pixel darker than paper (from
  // above to where the line holds none).
  struct TInk {
    std::vector<int32_t> from, to;
  };
  // The ink of phrase i as the last layout left it (its compression and
  // line end), drawn once per scale and minimum size.
  const TInk& InkOf(int32_t i);
  // True when the layout in place would put ink of a phrase outside the
  // balloon's interior, where it would be cut off.
  bool LosesInk();
  // Places the layout (line, k), the cheapest of the search, through place;
  // if it loses ink, places the next ones in the order of the search until
  // one keeps all its ink and leaves (line, k) naming it. False when none
  // does; the layouts passed over are priced NoFit.
  bool PlaceWithAllInk(int32_t& line, int32_t& k, const std::function<void(int32_t, int32_t)>& place);
  std::vector<std::unique_ptr<TInk>> inks_;  // per phrase, compression and line end
  float inkScale_ = 0;
  int32_t inkMinSize_ = -1;

  std::vector<TMeasure> measures_;  // TLoathingArray::Compressions rows of one entry per phrase
  std::array<bool, TLoathingArray::Compressions> measured_{};
  float measuredScale_ = 0;
  float measuredSpacing_ = 0;
  int32_t measuredMinSize_ = -1;
};

inline int32_t TBalon::LineStart(int32_t y, int32_t h) const {
  h = std::max(h, 1);
  if (y < FirstLine || y > LastLine - h + 1 || !HasInterior()) return -1;
  const size_t level = RangeLevel(h);
  const std::vector<int32_t>& from = largestFrom_[level];
  return std::max(from[static_cast<size_t>(y)], from[static_cast<size_t>(y + h) - (size_t{1} << level)]);
}

inline int32_t TBalon::LineWidth(int32_t y, int32_t h) const {
  const int32_t start = LineStart(y, h);
  if (start < 0) return -1;
  h = std::max(h, 1);
  const size_t level = RangeLevel(h);
  const std::vector<int32_t>& to = smallestTo_[level];
  const int32_t end =
      std::min(to[static_cast<size_t>(y)], to[static_cast<size_t>(y + h) - (size_t{1} << level)]);
  return end - start - 1;
}

template <class PixelAt>
void TBalon::BuildSpans(int32_t lines, int32_t positions, PixelAt pixel) {
  SpanFrom.SetCount(lines);
  SpanTo.SetCount(lines);
  Loathing.SetLines(lines);
  FirstLine = lines;
  LastLine = 0;
  for (int32_t r = 0; r < lines; ++r) {
    int32_t from = positions;
    int32_t to = 0;
    for (int32_t p = 0; p < positions; ++p) {
      if (pixel(r, p) == 255) {
        if (p < from) from = p;
        if (p > to) to = p;
        if (r < FirstLine) FirstLine = r;
        if (r > LastLine) LastLine = r;
      }
    }
    SpanFrom[r] = from;
    SpanTo[r] = to;
  }
  if (!HasInterior()) return;
  // A line without interior inside the balloon takes the span of the line
  // before it.
  for (int32_t r = FirstLine + 1; r <= LastLine; ++r) {
    if (SpanTo[r] < SpanFrom[r]) {
      SpanFrom[r] = SpanFrom[r - 1];
      SpanTo[r] = SpanTo[r - 1];
    }
  }
  for (int32_t r = FirstLine; r <= LastLine; ++r) {
    for (int32_t p = SpanFrom[r]; p <= SpanTo[r]; ++p) pixel(r, p) = 255;
  }
  BuildRangeTables();
}

}  // namespace drovix

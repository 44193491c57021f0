// A phrase: the unbreakable group of words between two break opportunities.
// It measures itself for the scale, minimum size and compression in force
// and renders its words into one raster. Lines are rows here; TVertPhrase
// turns the same measures by a quarter turn for vertical columns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cl_Dyna/TDyna.h"
#include "drovix_graph/typeset/TJustify.h"
#include "drovix_graph/typeset/TWord.h"
#include "drovix_graph/typeset/TWords.h"

namespace drovix {

class TPhrase : public TObject {
 public:
  TPhrase();
  ~TPhrase() override;
  TPhrase(const TPhrase&) = delete;
  TPhrase& operator=(const TPhrase&) = delete;

  // Appends the word; the phrase takes its paragraph end, justification and
  // vertical alignment from the word just added, and its text.
  void AddWord(std::unique_ptr<TWord> word);

  // False as soon as one word's size (the height of Ю in page pixels) at
  // this scale rounds below minSize.
  virtual bool CheckMinSize(int32_t minSize, float scale) const;
  // The phrase drawn at its Scale, MinSize and Compression: Thickness rows by
  // Length(EndsLine) columns, white ground. The hyphen of an optional hyphen
  // is drawn only when the phrase ends its line. Rendering consumes the
  // words (the phrase is empty afterwards). The caller owns the result.
  virtual std::unique_ptr<TWord> Render();
  // What Render draws, leaving the words in the phrase.
  virtual std::unique_ptr<TWord> Draw() const;
  // Extent along the line, compressed but never below the length at the
  // minimum size; the final optional hyphen counts only with withHyphen.
  virtual int32_t Length(bool withHyphen) const;
  // Extent across the line: the tallest scaled cell (0 without words).
  virtual int32_t Thickness() const;
  // The line advance before spacing: the largest font size at this scale.
  virtual int32_t LineStep() const;
  // The step from this phrase's line to the next one: LineStep widened by
  // the line spacing.
  virtual int32_t LineAdvance(float spacing) const;

  TWords Words;
  TJustify Justify = JCENTER;
  // 0 bottom, 1 top, anything else centre.
  uint8_t VAlign = 2;
  bool EndsParagraph = false;
  bool EndsLine = false;
  bool HyphenAfter = false;
  int32_t Compression = 0;
  int32_t X = 0;
  int32_t Y = 0;
  int32_t MinSize = 0;
  float Scale = 1.0f;
  std::string Text;

 protected:
  // The measures of both orientations: `along` is the word's sheet extent
  // along the line, `across` the one across it.
  template <bool Vertical>
  bool CheckMinSizeOf(int32_t minSize, float scale) const;
  template <bool Vertical>
  int32_t LengthOf(bool withHyphen) const;
  template <bool Vertical>
  int32_t ThicknessOf() const;
  template <bool Vertical>
  int32_t LineStepOf() const;
  // Scaled extents of one word: along (compressed, floored at the minimum
  // size length and at 1) and across.
  template <bool Vertical>
  int32_t WordLength(const TWord& w) const;
  template <bool Vertical>
  int32_t WordThickness(const TWord& w) const;
  // Pastes the words into out one after the other along the line, each
  // scaled to its length and thickness and placed across the line by its
  // VAlign; the hyphen of an optional hyphen only when the phrase ends its
  // line.
  template <bool Vertical>
  void PasteWords(TWord& out) const;
};

}  // namespace drovix

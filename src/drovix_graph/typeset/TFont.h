// A raster font: a 512 x 512 sheet of 16 x 16 cells of 32 x 32 pixels, one
// cell per Windows-1251 code, cut into glyphs and measured when loaded.
// Pair spacing is derived from the glyph shapes the first time a pair meets
// and kept for the rest of the run.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix {

class TWord;

class TFont {
 public:
  static constexpr int32_t CellSize = 32;
  static constexpr int32_t SheetSize = 512;
  // After a space or a no-break space the pen moves this far, whatever follows.
  static constexpr int32_t SpaceAdvance = 16;
  // The capital Ю: its ink height is the font's size unit.
  static constexpr uint8_t ReferenceLetter = 222;
  static constexpr uint8_t NoBreakSpace = 160;

  // Stores the sheet's base name (or a face's file name); nothing is read
  // until Load.
  explicit TFont(std::string fileName);
  ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // Reads and measures the sheet: cuts codes 32..255 into glyphs, measures
  // the reference letter and sets FontScale, blanks the no-break space.
  // A FileName ending in .ttf, .otf or .ttc is a face, rasterised into its
  // sheet first (FontSheetMaker.h). Raises EDrovixError when the sheet or
  // face cannot be read, is not 512 x 512, or its Ю is missing or under 9
  // rows tall.
  void Load();

  // Horizontal distance from the left edge of glyph a to that of glyph b.
  // Measures the pair on first use; control characters count as spaces.
  // REQUIRES: Load has succeeded.
  int32_t Advance(uint8_t a, uint8_t b);
  // Vertical distance from the top of glyph a to the top of glyph b in a
  // column of centred glyphs. Measures the pair on first use.
  int32_t VertAdvance(uint8_t a, uint8_t b);

  // The string set horizontally at sheet scale (32 rows), white ground.
  // An empty text gives one no-break space; control characters (which have
  // no glyph) are set as spaces. The caller owns the result.
  std::unique_ptr<TWord> MakeWord(const std::string& text);
  // The string set as a vertical column of centred glyphs at sheet scale.
  std::unique_ptr<TWord> MakeVertWord(const std::string& text);

  // In-place cleaning of a grey sheet: near-black flecks surrounded by
  // near-black become black, near-white surrounded by near-white become
  // white. The outermost rows and columns are left alone.
  static void CleanSheet(TDrovixGraph& sheet, int32_t bound, int32_t black, int32_t white);
  // The 32 x 32 cell at (top, left), cut right after its rightmost ink
  // (level below 250); a blank cell gives a 1-pixel-wide glyph.
  static std::unique_ptr<TDrovixGraph> CutGlyph(const TDrovixGraph& sheet, int32_t top, int32_t left);
  // Columns glyph b may overlap glyph a so that 3 white columns remain
  // between their nearest ink within +-3 rows. Both glyphs are 32 rows.
  static int32_t HorizontalGap(const TDrovixGraph& a, const TDrovixGraph& b);
  // Rows glyph b (below) may move up into the cell of glyph a (above),
  // both centred on one axis; at most 17.
  static int32_t VerticalGap(const TDrovixGraph& a, const TDrovixGraph& b);
  // A profile of 38 entries standing for indices -3..34 (entry i + 3).
  using TProfile = std::array<int32_t, 38>;
  // Every entry 0..31 becomes the minimum of the old entries i-3..i+3.
  static void ErodeProfile(TProfile& p);
  // True for the characters whose horizontal pairs keep adjustment 0.
  static bool InNoKernSet(uint8_t c);

  std::array<int32_t, 256> Widths{};
  std::array<int32_t, 256> Heights{};
  std::array<std::array<int32_t, 256>, 256> KernH{};
  std::array<std::array<int32_t, 256>, 256> KernV{};
  std::array<std::array<bool, 256>, 256> KernHKnown{};
  std::array<std::array<bool, 256>, 256> KernVKnown{};
  // Empty (nullptr) for codes 0..31 and before Load.
  std::array<std::unique_ptr<TDrovixGraph>, 256> Glyphs;
  std::string FileName;
  float FontScale = 0;
};

// Ten font slots: 0 normal, 1 bold, 2 italic, 3..9 further faces; empty
// slots hold nullptr.
using TArrayofFont = std::array<std::unique_ptr<TFont>, 10>;

}  // namespace drovix

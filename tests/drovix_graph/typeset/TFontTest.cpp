#include "drovix_graph/typeset/TFont.h"

#include <gtest/gtest.h>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/typeset/FontSheet.h"
#include "drovix_graph/typeset/TWord.h"

namespace drovix {
namespace {

using typeset_test::kDashWidth;
using typeset_test::kLetterWidth;
using typeset_test::kYuWidth;
using typeset_test::LoadSheet;
using typeset_test::StandardSheet;
using typeset_test::TGreyPicture;
using typeset_test::TSheet;
using typeset_test::TTempDir;

const uint8_t kYu = 222;
const uint8_t kYery = 219;  // Ы
const uint8_t kNbsp = 160;

std::string LoadError(const TGreyPicture& picture, const std::string& base) {
  try {
    LoadSheet(picture, base);
  } catch (const EDrovixError& e) {
    return e.what();
  }
  return "";
}

// True when every pixel of the raster is white paper.
bool AllWhite(const TDrovixGraph& g) {
  for (int32_t y = 0; y < g.Height(); ++y)
    for (int32_t x = 0; x < g.Width(); ++x)
      if (g.Pixel(y, x) != 255) return false;
  return true;
}

TEST(TFontLoad, RefusesSheetOfWrongSizeGivingWidthThenHeight) {
  TTempDir dir;
  EXPECT_EQ(
      LoadError(TGreyPicture(511, 512), dir.File("thin")),
      Ru("Ну ясным же русским языком говорилось -\n\rкартинка со шрифтом должна иметь размер 512x512!\n\r"
         "А что мы имеем?.. Размер картинки \"thin\" - 511x512!.."));
}

TEST(TFontLoad, ReferenceLetterSetsTheSizeUnit) {
  TTempDir dir;
  const std::string tooSmall = Ru("Буква \"Ю\" в шрифте \"") + dir.File("f") +
                               Ru("\" слишком мелкая!\n\rЧегой-то с этим шрифтом конкретно не то...");
  const struct {
    int32_t top, bottom;  // ink rows of Ю; top < 0: blank cell
    float scale;          // 0: refused
  } cases[] = {{-1, -1, 0}, {10, 17, 0}, {10, 18, 32.0f / 9}, {6, 25, 1.6f}, {0, 31, 1.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.top);
    TSheet sheet;
    if (c.top >= 0) sheet.Bar(kYu, c.top, c.bottom, 0, 11);
    if (c.scale == 0) {
      EXPECT_EQ(LoadError(sheet, dir.File("f")), tooSmall);
    } else {
      const auto font = LoadSheet(sheet, dir.File("f"));
      EXPECT_FLOAT_EQ(font->FontScale, c.scale);
      EXPECT_EQ(font->Heights[kNbsp], c.bottom - c.top + 1);
    }
  }
}

TEST(TFontLoad, GlyphWidthEndsAtTheRightmostInk) {
  TTempDir dir;
  TSheet sheet;
  sheet.Bar(kYu, 6, 25, 0, kYuWidth - 1);
  sheet.Bar('a', 4, 20, 0, 0);    // ink in the leftmost column only
  sheet.Bar('b', 4, 20, 28, 31);  // ink reaching the last column
  sheet.Bar('c', 4, 20, 3, 5);    // white margin at the left stays part of the glyph
  sheet.Bar('!', 0, 0, 0, 31, 255);
  const auto font = LoadSheet(sheet, dir.File("f"));
  EXPECT_EQ(font->Widths['a'], 1);
  EXPECT_EQ(font->Widths['b'], 32);
  EXPECT_EQ(font->Widths['c'], 6);
  EXPECT_EQ(font->Widths['!'], 1);  // blank cell
  EXPECT_EQ(font->Widths[' '], 1);
  EXPECT_EQ(font->Widths[kYu], kYuWidth);
  EXPECT_EQ(font->Heights['a'], 32);
  EXPECT_EQ(font->Widths[31], 0);
  EXPECT_EQ(font->Glyphs[31], nullptr);
  EXPECT_EQ(font->Glyphs['c']->Height(), 32);
  EXPECT_EQ(font->Glyphs['c']->Pixel(10, 2), 255);
  EXPECT_EQ(font->Glyphs['c']->Pixel(10, 3), 0);
}

TEST(TFontLoad, NoBreakSpaceIsBlankAndAsWideAsTheReferenceLetter) {
  TTempDir dir;
  TSheet sheet = StandardSheet();
  sheet.Bar(kNbsp, 0, 31, 0, 29);
  const auto font = LoadSheet(sheet, dir.File("f"));
  EXPECT_EQ(font->Widths[kNbsp], kYuWidth);
  EXPECT_EQ(font->Heights[kNbsp], 20);
  EXPECT_EQ(font->Glyphs[kNbsp]->Height(), 32);
  EXPECT_EQ(font->Glyphs[kNbsp]->Width(), kYuWidth);
  EXPECT_TRUE(AllWhite(*font->Glyphs[kNbsp]));
}

TEST(TFontGlyphs, CutGlyphCountsInkBelow250) {
  TDrovixGraph sheet;
  sheet.SetSize(64, 64);
  sheet.FillWhite();
  sheet.Pixel(33, 40) = 249;  // cell (1, 1), column 8
  sheet.Pixel(40, 50) = 250;  // paper
  const auto glyph = TFont::CutGlyph(sheet, 32, 32);
  EXPECT_EQ(glyph->Height(), 32);
  EXPECT_EQ(glyph->Width(), 9);
  EXPECT_EQ(glyph->Pixel(1, 8), 249);
}

TEST(TFontGlyphs, CleanSheetSettlesNearBlackAndNearWhite) {
  TDrovixGraph g;
  g.SetSize(6, 5);
  const int32_t rows[6][5] = {{30, 30, 30, 30, 30},      {30, 30, 30, 30, 30},
                              {30, 30, 30, 41, 30},      {220, 220, 220, 220, 220},
                              {220, 220, 220, 220, 220}, {220, 220, 220, 220, 220}};
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 5; ++x) g.Pixel(y, x) = rows[y][x];
  TFont::CleanSheet(g, 40, 0, 255);
  EXPECT_EQ(g.Pixel(1, 1), 0);   // near-black among near-black
  EXPECT_EQ(g.Pixel(1, 3), 30);  // 41 below it
  EXPECT_EQ(g.Pixel(2, 3), 41);
  EXPECT_EQ(g.Pixel(2, 1), 30);   // near-white below it
  EXPECT_EQ(g.Pixel(3, 1), 220);  // near-black above it
  EXPECT_EQ(g.Pixel(4, 1), 255);  // near-white among near-white
  EXPECT_EQ(g.Pixel(0, 0), 30);   // the outermost rows and columns stay
  EXPECT_EQ(g.Pixel(4, 0), 220);
  EXPECT_EQ(g.Pixel(5, 2), 220);
}

TEST(TFontGlyphs, ErodeProfileTakesTheMinimumOfSevenOldEntries) {
  TFont::TProfile p;
  p.fill(31);
  p[10 + 3] = 4;
  p[30 + 3] = 2;
  TFont::ErodeProfile(p);
  for (int32_t i = 0; i < 32; ++i) {
    SCOPED_TRACE(i);
    const int32_t expected = i >= 27 ? 2 : (i >= 7 && i <= 13 ? 4 : 31);
    EXPECT_EQ(p[i + 3], expected);
  }
  EXPECT_EQ(p[0], 31);  // the margins are not eroded
  EXPECT_EQ(p[37], 31);
}

class TFontPairs : public ::testing::Test {
 protected:
  void SetUp() override {
    TSheet sheet = StandardSheet();
    sheet.Bar(130, 0, 31, 4, 4);   // full-height stroke in its last column (width 5)
    sheet.Bar(131, 0, 31, 2, 2);   // full-height stroke in column 2 (width 3)
    sheet.Bar(132, 0, 9, 0, 9);    // ink on rows 0..9
    sheet.Bar(133, 13, 25, 0, 9);  // ink on rows 13..25: 4 rows below, out of reach
    sheet.Bar(134, 12, 25, 0, 9);  // ink on rows 12..25: 3 rows below, within reach
    font = LoadSheet(sheet, dir.File("f"));
  }
  TTempDir dir;
  std::unique_ptr<TFont> font;
};

TEST_F(TFontPairs, HorizontalAdvanceKeepsThreeWhiteColumnsBetweenInk) {
  const uint8_t kA = 192;
  const struct {
    uint8_t a, b;
    int32_t advance;
  } cases[] = {
      {kA, kA, kLetterWidth + 3},  // two blocks: 3 white columns between them
      {130, 131, 5 + 1},           // strokes at columns 4 and 5 + 1 + 2: 3 white between
      {132, 133, 10 - 6},          // ink 4 rows apart may overlap by all but 3 columns
      {132, 134, 10 + 3},          // 3 rows apart counts as touching
      {'-', kA, kDashWidth},       // the dash keeps no pair adjustment
      {kA, '-', kLetterWidth},    {' ', kA, 16}, {kNbsp, kA, 16}, {' ', '-', 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.a) << " " << int(c.b));
    EXPECT_EQ(font->Advance(c.a, c.b), c.advance);
  }
}

TEST_F(TFontPairs, PairIsMeasuredOnceAndNotForNoKernCharacters) {
  const uint8_t kA = 192;
  EXPECT_EQ(font->Advance(kA, kA), kLetterWidth + 3);
  EXPECT_TRUE(font->KernHKnown[kA][kA]);
  // The table answers from now on, whatever the glyph looks like.
  font->Glyphs[kA]->FillWhite();
  EXPECT_EQ(font->Advance(kA, kA), kLetterWidth + 3);
  font->Advance('-', kA);
  font->Advance(kA, 187);
  EXPECT_FALSE(font->KernHKnown['-'][kA]);
  EXPECT_FALSE(font->KernHKnown[kA][187]);
}

TEST_F(TFontPairs, VerticalAdvanceOfCentredGlyphs) {
  const uint8_t kA = 192;
  // Blocks leave 6 white rows below and above: 12 - 3 rows overlap.
  EXPECT_EQ(font->VertAdvance(kA, kA), 32 - 9);
  EXPECT_EQ(font->VertAdvance(' ', kA), 16);
  EXPECT_EQ(font->VertAdvance(kNbsp, kA), 16);
  EXPECT_EQ(font->VertAdvance(kA, kNbsp), 32);
  EXPECT_FALSE(font->KernVKnown[kA][kNbsp]);
  // Blank glyphs come closest: 15.
  EXPECT_EQ(font->VertAdvance('!', '!'), 15);
  EXPECT_EQ(TFont::VerticalGap(*font->Glyphs['!'], *font->Glyphs['!']), 17);
}

TEST_F(TFontPairs, MakeWordPlacesGlyphsAtTheirAdvances) {
  const std::string yy = Ru("ЫЫ");
  const auto word = font->MakeWord(yy);
  EXPECT_EQ(word->Height(), 32);
  EXPECT_EQ(word->Width(), 13 + kLetterWidth + 1);
  EXPECT_FLOAT_EQ(word->FontScale, 1.6f);
  EXPECT_EQ(word->Pixel(10, 9), 0);
  EXPECT_EQ(word->Pixel(10, 10), 255);
  EXPECT_EQ(word->Pixel(10, 12), 255);
  EXPECT_EQ(word->Pixel(10, 13), 0);
  EXPECT_EQ(word->Pixel(10, 22), 0);
  EXPECT_EQ(word->Pixel(10, 23), 255);

  const auto one = font->MakeWord(Ru("Ы"));
  EXPECT_EQ(one->Width(), kLetterWidth + 1);
  const auto empty = font->MakeWord("");
  EXPECT_EQ(empty->Height(), 32);
  EXPECT_EQ(empty->Width(), kYuWidth + 1);
  EXPECT_TRUE(AllWhite(*empty));
  // A control character has no glyph: it is set as a space.
  EXPECT_EQ(font->MakeWord("\t")->Width(), font->MakeWord(" ")->Width());
}

TEST_F(TFontPairs, MakeVertWordCentresGlyphsInOneColumn) {
  const auto one = font->MakeVertWord(Ru("Ы"));
  EXPECT_EQ(one->Height(), 33);
  EXPECT_EQ(one->Width(), kLetterWidth);
  EXPECT_EQ(font->MakeVertWord("")->Height(), 20 + 1);  // the no-break space: Ю's height
  EXPECT_EQ(font->MakeVertWord("!")->Width(), 2);       // at least 2 columns

  const auto two = font->MakeVertWord(Ru("ЫЮ"));
  EXPECT_EQ(two->Height(), 23 + 32 + 1);
  EXPECT_EQ(two->Width(), kYuWidth);
  EXPECT_EQ(two->Pixel(10, 4), 255);  // Ы centred: columns 5..14
  EXPECT_EQ(two->Pixel(10, 5), 0);
  EXPECT_EQ(two->Pixel(10, 14), 0);
  EXPECT_EQ(two->Pixel(10, 15), 255);
  EXPECT_EQ(two->Pixel(23 + 6, 0), 0);  // Ю starts 23 rows lower
  EXPECT_EQ(two->Pixel(23 + 5, 0), 255);
}

}  // namespace
}  // namespace drovix

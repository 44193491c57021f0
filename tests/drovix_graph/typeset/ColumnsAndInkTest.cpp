// Vertical columns side by side, the size of vertical letters, and laid
// text that keeps all its ink inside the balloon.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/console/Cp1251.h"
#include "drovix_graph/typeset/FontSheet.h"
#include "drovix_graph/typeset/TBalon.h"
#include "drovix_graph/typeset/THardcoreBAlon.h"
#include "drovix_graph/typeset/TVertBalon.h"
#include "drovix_graph/typeset/TVertPhrase.h"

namespace drovix {
namespace {

using typeset_test::BlockWord;
using typeset_test::LoadSheet;
using typeset_test::StandardFonts;
using typeset_test::StandardSheet;
using typeset_test::TSheet;
using typeset_test::TTempDir;

template <class T>
std::unique_ptr<T> MaskBalloon(int32_t rows, int32_t cols,
                               const std::function<bool(int32_t, int32_t)>& inside) {
  TDrovixGraph mask;
  mask.SetSize(rows, cols);
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < cols; ++x) mask.Pixel(y, x) = inside(y, x) ? 1 : 0;
  return TBalon::Create<T>(mask, cols - 1, rows - 1, 0, 0);
}

bool IsInk(int32_t v) { return v >= 0 && v < 255; }

// Runs of balloon columns holding ink, as (first, last) pairs.
std::vector<std::pair<int32_t, int32_t>> InkColumnRuns(const TDrovixGraph& b) {
  std::vector<std::pair<int32_t, int32_t>> runs;
  for (int32_t x = 0; x < b.Width(); ++x) {
    bool ink = false;
    for (int32_t y = 0; y < b.Height() && !ink; ++y) ink = IsInk(b.Pixel(y, x));
    if (!ink) continue;
    if (!runs.empty() && runs.back().second == x - 1) {
      runs.back().second = x;
    } else {
      runs.push_back({x, x});
    }
  }
  return runs;
}

TEST(VerticalColumns, OneLetterParagraphsStandApartAndSpacingWidensTheGaps) {
  // Ю 16 of 32 rows tall (FontScale 2) and letters 10 wide: at size 17 a
  // column is nearest(17 / 32 * 2 * 10) = 11 pixels wide, while the font
  // size alone would step by only 5 * spacing.
  TTempDir dir;
  TArrayofFont fonts;
  fonts[0] = LoadSheet(StandardSheet(21), dir.File("font"));
  const std::string text = Ru("а%Аб%Ав");
  const struct {
    bool hardcore;
    float spacing;
    int32_t gap;  // nearest(11 * spacing) - 11; right to left adds 0.5 to the spacing
  } cases[] = {
      {false, 1.33f, 4}, {false, 2.0f, 11}, {false, 0.5f, 0}, {true, 1.33f, 9}, {true, 2.0f, 17},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hardcore << " " << c.spacing);
    std::unique_ptr<TBalon> b;
    if (c.hardcore) {
      b = MaskBalloon<THardcoreBAlon>(60, 140, [](int32_t, int32_t) { return true; });
    } else {
      b = MaskBalloon<TVertBalon>(60, 140, [](int32_t, int32_t) { return true; });
    }
    testing::internal::CaptureStdout();
    b->Typeset(text, fonts, {.LineSpacing = c.spacing, .MinFontSize = 1}, 1.0f);
    testing::internal::GetCapturedStdout();
    ASSERT_FLOAT_EQ(b->ChosenScale, 1.0f);
    const auto runs = InkColumnRuns(*b);
    if (c.gap == 0) {
      // Below a spacing of 1 the columns touch but never overlap.
      ASSERT_EQ(runs.size(), 1u);
      EXPECT_EQ(runs[0].second - runs[0].first + 1, 33);
      continue;
    }
    ASSERT_EQ(runs.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(runs[i].second - runs[i].first + 1, 11);
      if (i > 0) {
        EXPECT_EQ(runs[i].first - runs[i - 1].second - 1, c.gap);
      }
    }
  }
}

TEST(VerticalLetterSize, ShortVerticalTextBuildsAtTheDefaultSizes) {
  // The test font's letters are 10 of 32 pixels wide: at size 17 a column
  // is 5 pixels of font size wide, yet the letters are of size 17.
  TTempDir dir;
  TArrayofFont fonts = StandardFonts(dir, 1);
  for (bool hardcore : {false, true}) {
    SCOPED_TRACE(hardcore);
    std::unique_ptr<TBalon> b;
    if (hardcore) {
      b = MaskBalloon<THardcoreBAlon>(150, 100, [](int32_t, int32_t) { return true; });
    } else {
      b = MaskBalloon<TVertBalon>(150, 100, [](int32_t, int32_t) { return true; });
    }
    testing::internal::CaptureStdout();
    b->Typeset(Ru("да нет"), fonts, {}, 1.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ".");
    EXPECT_FLOAT_EQ(b->ChosenScale, 1.0f);
    EXPECT_FALSE(InkColumnRuns(*b).empty());
  }
}

TEST(VerticalLetterSize, LettersAreMeasuredByTheirCellPicturesByTheirWidth) {
  const float f = 17.0f / 32;
  // One letter standing in a column 10 sheet pixels wide; the same block as
  // a picture.
  for (bool picture : {false, true}) {
    SCOPED_TRACE(picture);
    TVertPhrase p;
    auto w = BlockWord(32, 10, f, picture ? 1.0f : 1.6f);
    w->IsPicture = picture;
    p.AddWord(std::move(w));
    p.Scale = 1.0f;
    p.MinSize = 8;
    // A letter is of size nearest(17 / 32 * 32) = 17; the picture is
    // nearest(17 / 32 * 10) = 5 across.
    EXPECT_EQ(p.CheckMinSize(8, 1.0f), !picture);
    // Uncompressed, a letter keeps its own height (no stretching to the
    // minimum size): nearest(17 / 32 * 1.6 * 32) = 27.
    if (!picture) {
      EXPECT_EQ(p.Length(true), 27);
    }
    // Compressed by 70 %, the floor is the length at the minimum size:
    // 8 / 32 * 1.6 * 32 = 12.8 for the letter, 8 / 10 * 32 = 25.6 for the
    // picture.
    p.Compression = 70;
    EXPECT_EQ(p.Length(true), picture ? 26 : 13);
  }
}

// A balloon that counts the ink of its phrases that falls outside its
// interior (cut off at the box or dropped on pixels outside the shape) as
// it draws them.
template <class Base>
class TInkCounting : public Base {
 public:
  using Base::Base;
  void RenderText() override {
    for (int32_t i = 0; i < this->Phrases->Count(); ++i) {
      TPhrase& p = this->Phrases->Items(i);
      const std::unique_ptr<TWord> drawn = p.Render();
      int32_t top = p.Y, left = p.X;
      if (this->IsHardcore()) {
        top = p.X;
        left = this->Width() - p.Y - drawn->Width();
      } else if (this->IsVertical()) {
        top = p.X;
        left = p.Y;
      }
      for (int32_t r = 0; r < drawn->Height(); ++r) {
        for (int32_t c = 0; c < drawn->Width(); ++c) {
          if (drawn->Pixel(r, c) >= 255) continue;
          ++ink;
          const int32_t y = top + r, x = left + c;
          if (y < 0 || x < 0 || y >= this->Height() || x >= this->Width() || this->Pixel(y, x) < 0) ++lost;
        }
      }
      this->PasteDarker(*drawn, top, left);
    }
  }
  int64_t ink = 0;
  int64_t lost = 0;
};

// The standard sheet with accents over Й and Ё on cell rows 0..2, above the
// letters' rows 6..25.
TArrayofFont AccentFonts(const TTempDir& dir) {
  TSheet sheet = StandardSheet();
  sheet.Bar(0xC9, 0, 2, 2, 7);  // Й
  sheet.Bar(0xA8, 0, 2, 1, 8);  // Ё
  sheet.Bar(0xE9, 0, 2, 2, 7);  // й
  sheet.Bar(0xB8, 0, 2, 1, 8);  // ё
  TArrayofFont fonts;
  for (int32_t i = 0; i < 3; ++i)
    fonts[static_cast<size_t>(i)] = LoadSheet(sheet, dir.File("accent" + std::to_string(i)));
  return fonts;
}

constexpr TTypesetSettings kNoLoathings{
    .DeviationLoathing = 0, .TransitionLoathing = 0, .ShortLineLoathing = 0, .CompressionLoathing = 0};

TEST(LaidInk, AccentOnTheFirstLineIsNotCut) {
  TTempDir dir;
  TArrayofFont fonts = AccentFonts(dir);
  auto b = MaskBalloon<TInkCounting<TBalon>>(40, 100, [](int32_t, int32_t) { return true; });
  b->ParseText(Ru("Й"), fonts, 7, false, 17);
  // The cell is nearest(17 / 32 * 1.6 * 32) = 27 rows, the line 23: from the
  // first line the cell starts 2 rows above the box, accent and all.
  b->LayoutCost(0, kNoLoathings, 0, 1.0f);
  EXPECT_EQ(b->Phrases->Items(0).Y, -2);
  // Every layout costs 0, so the first start line that keeps the accent wins.
  testing::internal::CaptureStdout();
  b->Fit(kNoLoathings, 1.0f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(b->ChosenLine, 2);
  EXPECT_EQ(b->ChosenCompression, 33);
  EXPECT_FLOAT_EQ(b->ChosenScale, 1.0f);
  EXPECT_GT(b->ink, 0);
  EXPECT_EQ(b->lost, 0);
  bool accentInk = false;
  for (int32_t x = 0; x < b->Width(); ++x) accentInk = accentInk || IsInk(b->Pixel(0, x));
  EXPECT_TRUE(accentInk);  // the accent reaches the top row, whole
}

template <class T>
void ExpectNoInkLost(TArrayofFont& fonts) {
  const std::vector<std::string> texts = {Ru("Й%АЁ%АЙ"), Ru("Ну %Бнет%Н же, %Бнет%Н!"),
                                          Ru("Йод и Ёлка: ЙЁ, йё!")};
  const std::vector<std::function<bool(int32_t, int32_t)>> shapes = {
      [](int32_t y, int32_t x) {  // an ellipse 120 x 80
        const double dx = (x + 0.5 - 60) / 60, dy = (y + 0.5 - 40) / 40;
        return dx * dx + dy * dy <= 1;
      },
      [](int32_t y, int32_t x) { return !(x > 60 && y > 26 && y < 54); },  // a C-shape
  };
  for (size_t s = 0; s < shapes.size(); ++s) {
    for (size_t t = 0; t < texts.size(); ++t) {
      for (float spacing : {1.0f, 1.33f}) {
        for (float loathing : {0.0f, 1.0f}) {
          SCOPED_TRACE(testing::Message() << "shape " << s << " text " << t << " spacing " << spacing
                                          << " loathing " << loathing);
          auto b = MaskBalloon<TInkCounting<T>>(80, 120, shapes[s]);
          testing::internal::CaptureStdout();
          b->Typeset(texts[t], fonts,
                     {.DeviationLoathing = loathing,
                      .TransitionLoathing = loathing,
                      .ShortLineLoathing = loathing,
                      .CompressionLoathing = loathing,
                      .LineSpacing = spacing,
                      .MinFontSize = 5},
                     1.0f);
          testing::internal::GetCapturedStdout();
          EXPECT_GT(b->ink, 0);
          EXPECT_EQ(b->lost, 0);
        }
      }
    }
  }
}

TEST(LaidInk, NoLayoutLosesInk) {
  TTempDir dir;
  TArrayofFont fonts = AccentFonts(dir);
  ExpectNoInkLost<TBalon>(fonts);
  ExpectNoInkLost<TVertBalon>(fonts);
  ExpectNoInkLost<THardcoreBAlon>(fonts);
}

}  // namespace
}  // namespace drovix

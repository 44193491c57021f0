// Balloon shapes: spans of the three balloon classes, and where their
// rendered text lands.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "driver/console/Cp1251.h"
#include "drovix_graph/typeset/FontSheet.h"
#include "drovix_graph/typeset/ParseText.h"
#include "drovix_graph/typeset/TBalon.h"
#include "drovix_graph/typeset/THardcoreBAlon.h"
#include "drovix_graph/typeset/TVertBalon.h"

namespace drovix {
namespace {

using typeset_test::StandardFonts;
using typeset_test::TTempDir;

std::unique_ptr<TDrovixGraph> Mask(int32_t rows, int32_t cols,
                                   const std::function<bool(int32_t, int32_t)>& inside) {
  auto mask = std::make_unique<TDrovixGraph>();
  mask->SetSize(rows, cols);
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < cols; ++x) mask->Pixel(y, x) = inside(y, x) ? 1 : 0;
  return mask;
}

// 10 x 12: a blank row on top; a hole in row 3; a notch open to the right in
// row 4; row 5 without interior; blank rows at the bottom.
bool Shape(int32_t y, int32_t x) {
  switch (y) {
    case 1:
    case 2:
      return x >= 1 && x <= 10;
    case 3:
      return (x >= 1 && x <= 3) || (x >= 8 && x <= 10);
    case 4:
      return x >= 1 && x <= 3;
    case 6:
      return x >= 2 && x <= 9;
    default:
      return false;
  }
}

TEST(BalloonShape, RowsAreFilledFromTheirFirstToTheirLastInteriorPixel) {
  const auto mask = Mask(10, 12, Shape);
  auto b = TBalon::Create<TBalon>(*mask, 11, 9, 0, 0);
  EXPECT_EQ(b->FirstLine, 1);
  EXPECT_EQ(b->LastLine, 6);
  const int32_t from[] = {1, 1, 1, 1, 1, 2};
  const int32_t to[] = {10, 10, 10, 3, 3, 9};
  for (int32_t r = 1; r <= 6; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(b->SpanFrom[r], from[r - 1]);
    EXPECT_EQ(b->SpanTo[r], to[r - 1]);
    for (int32_t x = 0; x < 12; ++x) EXPECT_EQ(b->Pixel(r, x), x >= from[r - 1] && x <= to[r - 1] ? 255 : -1);
  }
  for (int32_t x = 0; x < 12; ++x) {
    EXPECT_EQ(b->Pixel(0, x), -1);
    EXPECT_EQ(b->Pixel(7, x), -1);
  }
  EXPECT_EQ(b->Loathing.Count(), 71);
  EXPECT_EQ(b->Loathing.Row(70).Count(), 10);

  const struct {
    int32_t y, h, start, width;
  } bands[] = {
      {1, 3, 1, 8}, {3, 2, 1, 1}, {5, 2, 2, 0}, {6, 1, 2, 6}, {0, 2, -1, -1}, {6, 2, -1, -1}, {1, 6, 2, 0},
  };
  for (const auto& band : bands) {
    SCOPED_TRACE(testing::Message() << band.y << "+" << band.h);
    EXPECT_EQ(b->LineStart(band.y, band.h), band.start);
    EXPECT_EQ(b->LineWidth(band.y, band.h), band.width);
  }
}

TEST(BalloonShape, BoxIsCutFromThePage) {
  // The same shape at page offset (5, 7) of a larger mask.
  const auto mask =
      Mask(30, 30, [](int32_t y, int32_t x) { return y >= 5 && x >= 7 && Shape(y - 5, x - 7); });
  auto b = TBalon::Create<TBalon>(*mask, 7 + 11, 5 + 9, 7, 5);
  EXPECT_EQ(b->Height(), 10);
  EXPECT_EQ(b->Width(), 12);
  EXPECT_EQ(b->SpanFrom[3], 1);
  EXPECT_EQ(b->SpanTo[3], 10);
  // A box without size, or off the mask, holds no interior.
  EXPECT_FALSE(TBalon::Create<TBalon>(*mask, 3, 3, 4, 4)->HasInterior());
  EXPECT_FALSE(TBalon::Create<TBalon>(*mask, 40, 40, 31, 31)->HasInterior());
}

TEST(BalloonShape, VerticalBalloonsMeasureColumns) {
  const auto mask = Mask(10, 12, Shape);
  auto v = TBalon::Create<TVertBalon>(*mask, 11, 9, 0, 0);
  EXPECT_TRUE(v->IsVertical());
  EXPECT_FALSE(v->IsHardcore());
  EXPECT_EQ(v->FirstLine, 1);
  EXPECT_EQ(v->LastLine, 10);
  EXPECT_EQ(v->SpanFrom[1], 1);  // column 1: rows 1..4
  EXPECT_EQ(v->SpanTo[1], 4);
  EXPECT_EQ(v->SpanFrom[5], 1);  // column 5: rows 1, 2 and 6, filled between
  EXPECT_EQ(v->SpanTo[5], 6);
  EXPECT_EQ(v->Pixel(4, 5), 255);
  EXPECT_EQ(v->Pixel(7, 5), -1);
  EXPECT_EQ(v->Loathing.Row(0).Count(), 12);

  // Right to left: line i is column 11 - i, positions from the top.
  auto h = TBalon::Create<THardcoreBAlon>(*mask, 11, 9, 0, 0);
  EXPECT_TRUE(h->IsHardcore());
  EXPECT_EQ(h->FirstLine, 1);
  EXPECT_EQ(h->LastLine, 10);
  EXPECT_EQ(h->SpanFrom[1], 1);  // column 10: rows 1..3
  EXPECT_EQ(h->SpanTo[1], 3);
  EXPECT_EQ(h->SpanFrom[6], 1);  // column 5
  EXPECT_EQ(h->SpanTo[6], 6);
  EXPECT_EQ(h->Pixel(4, 5), 255);
  EXPECT_EQ(h->Pixel(8, 5), -1);
}

int32_t InkIn(const TDrovixGraph& g) {
  int32_t n = 0;
  for (int32_t y = 0; y < g.Height(); ++y)
    for (int32_t x = 0; x < g.Width(); ++x) n += g.Pixel(y, x) >= 0 && g.Pixel(y, x) < 128;
  return n;
}

// An L-shaped balloon, 160 x 80: the right half full height, the left half
// only below row 80.
bool LShape(int32_t y, int32_t x) { return x >= 40 || y >= 80; }

class BalloonText : public ::testing::Test {
 protected:
  // Fits the text into an L-shaped balloon of class T and checks that every
  // ink pixel of the rendered phrases reached the balloon: none was placed
  // outside the interior.
  template <class T>
  std::unique_ptr<T> FitWithoutLoss(const std::string& text, float spacing = 1.33f) {
    const auto mask = Mask(160, 80, LShape);
    auto b = TBalon::Create<T>(*mask, 79, 159, 0, 0);
    b->ParseText(text, fonts, 7, b->IsVertical(), 17);
    auto twin = ParseText(text, fonts, 7, b->IsVertical(), 17);
    testing::internal::CaptureStdout();
    try {
      b->Fit({.LineSpacing = spacing, .MinFontSize = 5}, 1.0f);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
    testing::internal::GetCapturedStdout();
    EXPECT_GE(b->ChosenLine, 0);
    int32_t rendered = 0;
    for (int32_t i = 0; i < twin->Count(); ++i) {
      const TPhrase& placed = b->Phrases->Items(i);
      TPhrase& p = twin->Items(i);
      p.EndsLine = placed.EndsLine;
      p.Compression = placed.Compression;
      p.MinSize = placed.MinSize;
      p.Scale = placed.Scale;
      rendered += InkIn(*p.Render());
    }
    EXPECT_GT(rendered, 0);
    EXPECT_EQ(InkIn(*b), rendered);
    return b;
  }

  TTempDir dir;
  TArrayofFont fonts = StandardFonts(dir, 1);
  const std::string text = Ru("раз два%Атри%Ачетыре пять");
};

TEST_F(BalloonText, HorizontalLinesStayInside) {
  auto b = FitWithoutLoss<TBalon>(text);
  EXPECT_LT(b->Phrases->Items(0).Y, b->Phrases->Items(b->Phrases->Count() - 1).Y);
}

TEST_F(BalloonText, VerticalColumnsRunLeftToRight) {
  // A column is as thick as its glyphs' cells (FontScale 1.6 times the
  // line step here, ink across all of it) and is centred on its line: with
  // less spacing than that it would reach past the first line's edge.
  auto b = FitWithoutLoss<TVertBalon>(Ru("%В") + text, 1.7f);
  const TPhrase& first = b->Phrases->Items(0);
  const TPhrase& last = b->Phrases->Items(b->Phrases->Count() - 1);
  EXPECT_LT(first.Y, last.Y);
}

TEST_F(BalloonText, RightToLeftColumnsStartAtTheirLineStart) {
  auto b = FitWithoutLoss<THardcoreBAlon>(Ru("%Х") + text);
  const TPhrase& first = b->Phrases->Items(0);
  const TPhrase& last = b->Phrases->Items(b->Phrases->Count() - 1);
  EXPECT_LT(first.Y, last.Y);  // line indexes grow leftward
}

}  // namespace
}  // namespace drovix

// Phrase measures and rendering, and the priced layout of a balloon.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <functional>
#include <type_traits>
#include <vector>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/Interrupt.h"
#include "drovix_graph/typeset/FontSheet.h"
#include "drovix_graph/typeset/ParseText.h"
#include "drovix_graph/typeset/TBalon.h"
#include "drovix_graph/typeset/THardcoreBAlon.h"
#include "drovix_graph/typeset/TVertBalon.h"
#include "drovix_graph/typeset/TVertPhrase.h"

namespace drovix {
namespace {

using typeset_test::BlockWord;
using typeset_test::StandardFonts;
using typeset_test::TTempDir;

constexpr int32_t NoFit = TBalon::NoFit;

// A balloon of class T over a rows x cols box, inside where inside(y, x).
template <class T = TBalon>
std::unique_ptr<T> MaskBalloon(int32_t rows, int32_t cols,
                               const std::function<bool(int32_t, int32_t)>& inside) {
  TDrovixGraph mask;
  mask.SetSize(rows, cols);
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < cols; ++x) mask.Pixel(y, x) = inside(y, x) ? 1 : 0;
  return TBalon::Create<T>(mask, cols - 1, rows - 1, 0, 0);
}

template <class T = TBalon>
std::unique_ptr<T> RectBalloon(int32_t rows, int32_t cols) {
  return MaskBalloon<T>(rows, cols, [](int32_t, int32_t) { return true; });
}

// A one-word phrase measuring, at scale 1 and compression 0, `length` along
// its line, `thickness` across it and `lineStep`; the word is a sheet-scale
// block 32 sheet pixels across.
struct TShape {
  int32_t length, thickness, lineStep;
  TJustify justify = JCENTER;
  uint8_t valign = 2;
};
std::unique_ptr<TWord> ShapedWord(const TShape& s, bool vertical) {
  const float f = static_cast<float>(s.lineStep / 32.0L);
  const float fontScale = static_cast<float>(static_cast<long double>(s.thickness) / s.lineStep);
  const auto along =
      static_cast<int32_t>(std::nearbyint(s.length / (static_cast<long double>(f) * fontScale)));
  auto w = vertical ? BlockWord(along, 32, f, fontScale) : BlockWord(32, along, f, fontScale);
  w->Justify = s.justify;
  w->VAlign = s.valign;
  return w;
}
template <class P = TPhrase>
std::unique_ptr<P> Phrase(const TShape& s) {
  auto p = std::make_unique<P>();
  p->AddWord(ShapedWord(s, std::is_same_v<P, TVertPhrase>));
  p->Scale = 1.0f;
  p->MinSize = 1;
  EXPECT_EQ(p->Length(true), s.length);
  EXPECT_EQ(p->Thickness(), s.thickness);
  // Columns step by their own width, lines by the font size.
  EXPECT_EQ(p->LineStep(), (std::is_same_v<P, TVertPhrase> ? s.thickness : s.lineStep));
  return p;
}

// The hyphen word of an optional hyphen, `length` long.
std::unique_ptr<TWord> HyphenWord(int32_t length) {
  auto w = ShapedWord({length, 20, 15}, false);
  w->IsHyphen = true;
  return w;
}

void SetPhrases(TBalon& b, std::vector<std::unique_ptr<TPhrase>> list) {
  auto phrases = std::make_unique<TPhrases>();
  for (auto& p : list) phrases->Add(std::move(p));
  b.SetPhrases(std::move(phrases));
}

template <class... P>
std::vector<std::unique_ptr<TPhrase>> List(std::unique_ptr<P>... p) {
  std::vector<std::unique_ptr<TPhrase>> v;
  (v.push_back(std::move(p)), ...);
  return v;
}

const TShape kA{40, 20, 15};

// Loathings all 1.0 and line spacing 1.33, the defaults.
int32_t Cost(TBalon& b, int32_t startLine, int32_t k = 0, float transition = 1.0f) {
  return b.LayoutCost(startLine, {.TransitionLoathing = transition}, k, 1.0f);
}

TEST(TPhraseMeasures, CompressionShortensLengthDownToTheMinimumSizeLength) {
  auto p = Phrase(kA);  // sheet word 32 x 64, f 15/32, F 4/3
  p->Compression = 33;
  EXPECT_EQ(p->Length(true), 27);  // nearest(40 * 0.67)
  EXPECT_EQ(p->Thickness(), 20);
  EXPECT_EQ(p->LineStep(), 15);
  p->MinSize = 15;  // the length at size 15 is 15 / 32 * 4/3 * 64 = 40
  EXPECT_EQ(p->Length(true), 40);
  EXPECT_TRUE(p->CheckMinSize(15, 1.0f));
  EXPECT_FALSE(p->CheckMinSize(16, 1.0f));
  EXPECT_TRUE(p->CheckMinSize(16, 1.1f));

  auto v = Phrase<TVertPhrase>(kA);  // the same measures on a word standing upright
  v->Compression = 33;
  EXPECT_EQ(v->Length(true), 27);
  EXPECT_EQ(v->Thickness(), 20);

  TPhrase empty;
  EXPECT_EQ(empty.Thickness(), 0);
  EXPECT_EQ(empty.Length(true), 0);
}

TEST(TPhraseMeasures, OptionalHyphenCountsOnlyWhenAsked) {
  auto p = Phrase(kA);
  p->AddWord(HyphenWord(6));
  p->HyphenAfter = true;
  EXPECT_EQ(p->Length(true), 46);
  EXPECT_EQ(p->Length(false), 40);
}

TEST(TPhraseMeasures, MinimumSizeLengthHasAFloorOfOnePixel) {
  auto p = std::make_unique<TPhrase>();
  p->AddWord(BlockWord(320, 1, 0.01f, 1.0f));
  p->Scale = 1.0f;
  p->MinSize = 1;
  EXPECT_EQ(p->Length(true), 1);
  auto drawn = p->Render();
  EXPECT_EQ(drawn->Height(), 3);
  EXPECT_EQ(drawn->Width(), 1);
}

TEST(LayoutCost, WorkedExample) {
  auto b = RectBalloon(100, 102);
  ASSERT_EQ(b->LineStart(10, 20), 0);
  ASSERT_EQ(b->LineWidth(10, 20), 100);
  SetPhrases(*b, List(Phrase(kA), Phrase(kA)));
  EXPECT_EQ(Cost(*b, 40), 656);
  const TPhrase& a = b->Phrases->Items(0);
  const TPhrase& bb = b->Phrases->Items(1);
  EXPECT_EQ(a.X, 5);
  EXPECT_EQ(bb.X, 55);
  EXPECT_EQ(a.Y, 40);
  EXPECT_EQ(bb.Y, 40);
  EXPECT_FALSE(a.EndsLine);
  EXPECT_TRUE(bb.EndsLine);
  EXPECT_EQ(Cost(*b, 39), 656);
  EXPECT_EQ(Cost(*b, 41), 1818 + 50);
  EXPECT_EQ(Cost(*b, 81), NoFit);   // the band 81..100 leaves the balloon
  EXPECT_EQ(Cost(*b, 40, 1), 856);  // compression costs 100 per phrase and percent

  // The search takes the earlier of the two cheapest start lines.
  b->Fit({}, 1.0f);
  EXPECT_EQ(b->ChosenLine, 39);
  EXPECT_EQ(b->ChosenCompression, 0);
  EXPECT_EQ(b->Loathing.Row(0)[40], 656);
  for (int32_t k = 1; k <= 33; ++k) EXPECT_GT(b->Loathing.Row(k)[39], 656);
  for (int32_t k = 34; k <= 70; ++k) EXPECT_EQ(b->Loathing.Row(k)[39], NoFit);
}

TEST(LayoutCost, WithoutLoathingsTheFirstLineAndHighestCompressionWin) {
  auto b = RectBalloon(100, 102);
  SetPhrases(*b, List(Phrase(kA), Phrase(kA)));
  b->Fit({.DeviationLoathing = 0, .TransitionLoathing = 0, .ShortLineLoathing = 0, .CompressionLoathing = 0},
         1.0f);
  EXPECT_EQ(b->ChosenLine, 0);
  EXPECT_EQ(b->ChosenCompression, 33);
  EXPECT_EQ(b->Loathing.Row(33)[0], 0);
}

TEST(LayoutCost, NoCompressionAllowedLeavesEveryOtherRowUnfit) {
  auto b = RectBalloon(100, 102);
  SetPhrases(*b, List(Phrase(kA)));
  b->Fit({.MaxCompression = 0}, 1.0f);
  EXPECT_EQ(b->ChosenCompression, 0);
  for (int32_t r = b->FirstLine; r <= b->LastLine; ++r)
    for (int32_t k = 1; k <= 70; ++k) ASSERT_EQ(b->Loathing.Row(k)[r], NoFit);
}

TEST(LayoutCost, PhraseLongerThanEveryLineDoesNotFit) {
  auto b = RectBalloon(100, 102);
  SetPhrases(*b, List(Phrase(kA), Phrase({150, 20, 15})));
  EXPECT_EQ(Cost(*b, 0), NoFit);
}

TEST(LayoutCost, JustificationPlacesTheLine) {
  const struct {
    TJustify justify;
    int32_t lengthB;
    int32_t xA, xB;
    int32_t shortLineCost;
  } cases[] = {
      {JLEFT, 40, 0, 50, 0},                               // starts at Lx; the trailing space fills the line
      {JRIGHT, 40, 10, 60, 50},                            // ends at Lend
      {JCENTER, 40, 5, 55, 50}, {JCENTER, 39, 5, 55, 55},  // slack 11: 5 on the left
      {JWIDTH, 39, 5, 55, 55},                             // as centred; no space is stretched
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.justify) << " " << c.lengthB);
    auto b = RectBalloon(100, 102);
    SetPhrases(*b, List(Phrase({40, 20, 15, c.justify}), Phrase({c.lengthB, 20, 15, c.justify})));
    // From line 40 the block sits 1 line off centre: 606.
    EXPECT_EQ(Cost(*b, 40), 606 + c.shortLineCost);
    EXPECT_EQ(b->Phrases->Items(0).X, c.xA);
    EXPECT_EQ(b->Phrases->Items(1).X, c.xB);
  }
}

TEST(LayoutCost, OptionalHyphenJoinsOrBreaksTheLine) {
  // Wide enough for both: no hyphen, no space, no transition cost. The
  // joined word is measured as drawn, 80 of 100, so it is centred with a
  // slack of 20 (short-line cost 100) and no gap is counted at the join.
  {
    auto b = RectBalloon(100, 102);
    auto molo = Phrase(kA);
    molo->AddWord(HyphenWord(6));
    molo->HyphenAfter = true;
    SetPhrases(*b, List(std::move(molo), Phrase(kA)));
    EXPECT_EQ(Cost(*b, 40), 606 + 100);
    EXPECT_EQ(b->Phrases->Items(0).X, 10);
    EXPECT_EQ(b->Phrases->Items(1).X, b->Phrases->Items(0).X + 40);
  }
  // Too narrow: the line breaks after the hyphen, which is drawn and costs.
  for (float transition : {1.0f, 0.0f}) {
    auto b = RectBalloon(100, 80);
    auto molo = Phrase(kA);
    molo->AddWord(HyphenWord(6));
    molo->HyphenAfter = true;
    SetPhrases(*b, List(std::move(molo), Phrase(kA)));
    const int32_t cost = Cost(*b, 30, 0, transition);
    // Two lines of 20 from line 30: |30 + 70 - 99| = 1. Both lines are
    // centred on 40 measured pixels (the hyphen is not measured while the
    // line fills): slack 38 of 78 each.
    const int32_t expected = 606 + 244 + 244 + (transition > 0 ? 50000 : 0);
    EXPECT_EQ(cost, expected);
    EXPECT_TRUE(b->Phrases->Items(0).EndsLine);
    EXPECT_EQ(b->Phrases->Items(1).Y, 50);
    if (transition > 0) {
      auto drawn = b->Phrases->Items(0).Render();
      EXPECT_EQ(drawn->Width(), 46);
      EXPECT_EQ(drawn->Pixel(10, 45), 0);  // the hyphen is drawn at the line's end
    }
  }
}

TEST(LayoutCost, VerticalAlignmentAcrossTheLine) {
  const struct {
    uint8_t valign;
    int32_t yThin;
  } cases[] = {{2, 45}, {0, 50}, {1, 40}, {7, 45}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.valign));
    auto b = RectBalloon(100, 102);
    SetPhrases(*b, List(Phrase({40, 20, 15, JCENTER, c.valign}), Phrase({40, 10, 15, JCENTER, c.valign})));
    Cost(*b, 40);
    EXPECT_EQ(b->Phrases->Items(0).Y, 40);  // as thick as the line (20)
    EXPECT_EQ(b->Phrases->Items(1).Y, c.yThin);
  }
}

TEST(LayoutCost, LineStepIsTheRunningMaximum) {
  auto b = RectBalloon(200, 102);
  auto big = Phrase({40, 40, 30});
  big->EndsParagraph = true;
  SetPhrases(*b, List(std::move(big), Phrase(kA)));
  Cost(*b, 10);
  EXPECT_EQ(b->Phrases->Items(0).Y, 10);
  // nearest(30 * 1.33) = 40 and the second line keeps that step.
  EXPECT_EQ(b->Phrases->Items(1).Y, 50 + (40 - 20) / 2);
}

TEST(LayoutCost, BandsLeavingTheBalloonOrWithoutLengthAreUnfit) {
  // The phrase (20 thick) fits the band 0..19; line spacing 1.6 grows the
  // line to 24, past the balloon's 22 lines.
  auto b = RectBalloon(22, 102);
  SetPhrases(*b, List(Phrase(kA)));
  EXPECT_EQ(Cost(*b, 0), 2857 + 300);
  EXPECT_EQ(b->LayoutCost(0, {.LineSpacing = 1.6f}, 0, 1.0f), NoFit);
  // Here the grown band takes in rows only 2 pixels wide: no usable length.
  auto tail = MaskBalloon(30, 102, [](int32_t y, int32_t x) { return y < 20 || x < 2; });
  SetPhrases(*tail, List(Phrase(kA)));
  EXPECT_EQ(tail->LineWidth(0, 24), 0);
  EXPECT_NE(Cost(*tail, 0), NoFit);
  EXPECT_EQ(tail->LayoutCost(0, {.LineSpacing = 1.6f}, 0, 1.0f), NoFit);
}

TEST(LayoutCost, SingleLineBalloonHasNoCentringTerm) {
  auto b = RectBalloon(1, 102);
  auto p = Phrase({40, 1, 1});
  SetPhrases(*b, List(std::move(p)));
  EXPECT_EQ(b->LayoutCost(0, {.LineSpacing = 1.0f, .MinFontSize = 1}, 0, 1.0f),
            300);  // short line: 500 * 60 / 100
}

TEST(LayoutCost, HardcoreSetsEveryLineFromItsStartWithWiderSpacing) {
  auto b = RectBalloon<THardcoreBAlon>(102, 100);
  auto first = Phrase<TVertPhrase>({40, 20, 15, JRIGHT});
  first->EndsParagraph = true;
  SetPhrases(*b, List(std::move(first), Phrase<TVertPhrase>({40, 20, 15, JCENTER})));
  Cost(*b, 10);
  EXPECT_EQ(b->Phrases->Items(0).Justify, JLEFT);
  EXPECT_EQ(b->Phrases->Items(0).X, 0);
  EXPECT_EQ(b->Phrases->Items(1).X, 0);
  // nearest(20 * 1.83) = 37: the second column starts 37 lines further.
  EXPECT_EQ(b->Phrases->Items(1).Y, 10 + 37 + (37 - 20) / 2);
}

TEST(LayoutCost, WordBelowMinimumSizeFailsWithTheScaleReached) {
  TTempDir dir;
  TArrayofFont fonts = StandardFonts(dir, 1);
  auto b = RectBalloon(100, 300);
  b->Number = 7;
  try {
    b->Typeset(Ru("да %Мслово"), fonts, {.FontSize = 8}, 1.0f);
    FAIL() << "no error";
  } catch (const EDrovixError& e) {
    EXPECT_EQ(
        std::string(e.what()),
        Ru("При попытке впихнуть текст в балон №7, при уменьшении масштаба до 100%,\n\r произошло нарушение "
           "минимального размера шрифта (8)\n\r в слове №2 (\"слово\")."));
  }
}

TEST(Typeset, ShrinksByOnePointSeventeenPerRetryUntilTheMinimumSize) {
  TTempDir dir;
  TArrayofFont fonts = StandardFonts(dir, 1);
  // "слово" at size 17: 54 long at scale 1, 46 at 1/1.17; the balloon's lines are 48.
  {
    auto b = RectBalloon(40, 50);
    testing::internal::CaptureStdout();
    b->Typeset(Ru("слово"), fonts, {.MaxCompression = 0}, 1.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "..");
    EXPECT_FLOAT_EQ(b->ChosenScale, static_cast<float>(1 / 1.17L));
  }
  // A balloon too small for anything: 17 * s falls below 7.5 after 6 retries.
  {
    auto b = RectBalloon(5, 5);
    b->Number = 2;
    testing::internal::CaptureStdout();
    std::string message;
    try {
      b->Typeset(Ru("слово"), fonts, {}, 1.0f);
    } catch (const EDrovixError& e) {
      message = e.what();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ".......");
    EXPECT_EQ(message,
              Ru("При попытке впихнуть текст в балон №2, при уменьшении масштаба до 39%,\n\r произошло "
                 "нарушение минимального размера шрифта (8)\n\r в слове №1 (\"слово\")."));
  }
}

// Letters of infinite size fit at no scale: the shrinking ends once the scale
// can get no smaller, instead of dividing forever.
TEST(Typeset, TextOfNoFiniteSizeEndsWhenTheScaleStopsShrinking) {
  TTempDir dir;
  TArrayofFont fonts = StandardFonts(dir, 1);
  std::string text;
  for (int i = 0; i < 320; ++i) text += Ru("%Б");
  text += Ru("слово");
  auto b = RectBalloon(40, 50);
  b->Number = 3;
  testing::internal::CaptureStdout();
  std::string message;
  try {
    b->Typeset(text, fonts, {}, 1.0f);
  } catch (const EDrovixError& e) {
    message = e.what();
  }
  const std::string dots = testing::internal::GetCapturedStdout();
  EXPECT_EQ(message, Ru("Текст балона №3 не влез в балон ни в каком масштабе."));
  // From 1 down to the smallest float, one "." per retry after the parse's.
  EXPECT_GT(dots.size(), 500u);
  EXPECT_LT(dots.size(), 1000u);
}

// A stop request ends the fit at its next round.
TEST(Typeset, StopRequestEndsTheFit) {
  TTempDir dir;
  TArrayofFont fonts = StandardFonts(dir, 1);
  auto b = RectBalloon(40, 50);
  {
    const TInterruptGuard guard;
    std::raise(SIGTERM);
    testing::internal::CaptureStdout();
    EXPECT_THROW(b->Typeset(Ru("слово"), fonts, {}, 1.0f), EInterrupted);
    testing::internal::GetCapturedStdout();
  }
  ClearInterruptForTesting();
  EXPECT_EQ(b->ChosenLine, -1);
}

TEST(Typeset, EmptyTextLeavesTheBalloonBlankAndPrintsNothing) {
  TTempDir dir;
  TArrayofFont fonts = StandardFonts(dir, 1);
  auto b = RectBalloon(40, 50);
  testing::internal::CaptureStdout();
  b->Typeset("", fonts, {}, 1.0f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(b->ChosenLine, -1);
  for (int32_t y = 0; y < 40; ++y)
    for (int32_t x = 0; x < 50; ++x) ASSERT_EQ(b->Pixel(y, x), 255);
}

TEST(Typeset, EmptyMaskIsRefused) {
  TTempDir dir;
  TArrayofFont fonts = StandardFonts(dir, 1);
  auto b = MaskBalloon(10, 10, [](int32_t, int32_t) { return false; });
  b->Number = 4;
  EXPECT_FALSE(b->HasInterior());
  testing::internal::CaptureStdout();
  try {
    b->Typeset(Ru("слово"), fonts, {}, 1.0f);
    ADD_FAILURE() << "no error";
  } catch (const EDrovixError& e) {
    EXPECT_EQ(std::string(e.what()),
              Ru("Балон №4 пустой: в его разметке нет ни одной точки, куда можно вписать текст."));
  }
  testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace drovix

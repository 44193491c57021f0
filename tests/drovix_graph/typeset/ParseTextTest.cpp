#include "drovix_graph/typeset/ParseText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/typeset/FontSheet.h"
#include "drovix_graph/typeset/TVertPhrase.h"

namespace drovix {
namespace {

using typeset_test::SlotScale;
using typeset_test::StandardFonts;
using typeset_test::TGreyPicture;
using typeset_test::TTempDir;

constexpr int32_t kFontSize = 17;
const float kBase = static_cast<float>(kFontSize / 32.0L);

// "text~¶[words]" per phrase, separated by blanks: ~ marks a phrase ending
// with an optional hyphen, ¶ a paragraph end.
std::string Describe(const TPhrases& phrases) {
  std::string out;
  for (int32_t i = 0; i < phrases.Count(); ++i) {
    const TPhrase& p = phrases.Items(i);
    if (i > 0) out += " ";
    out += Cp1251ToUtf8(p.Text);
    if (p.HyphenAfter) out += "~";
    if (p.EndsParagraph) out += "¶";
    out += "[" + std::to_string(p.Words.Count()) + "]";
  }
  return out;
}

class ParseTextTest : public ::testing::Test {
 protected:
  std::unique_ptr<TPhrases> Parse(const std::string& cp1251, bool vertical = false, int32_t minHyphen = 7) {
    return ParseText(cp1251, fonts, minHyphen, vertical, kFontSize);
  }
  TTempDir dir;
  TArrayofFont fonts = StandardFonts(dir);
};

TEST_F(ParseTextTest, WordsAndPhrases) {
  const char nbsp = static_cast<char>(160);
  const struct {
    std::string text;  // Windows-1251
    const char* phrases;
  } cases[] = {
      {Ru("Да - нет%А"), "Да&nbsp;-[1] нет¶[1]"},
      {Ru("моло%-ко%А"), "моло~[2] ко¶[1]"},
      {Ru("%Жжир%Нный%А"), "жирный¶[2]"},
      {Ru("сло%Бво%А"), "слово¶[1]"},
      {Ru("сло%Жво%А"), "слово¶[2]"},
      {Ru("Раз.%А%АДва.%А"), "Раз.¶[1] &nbsp;¶[1] Два.¶[1]"},
      {Ru("100%/%А"), "100%¶[1]"},
      {Ru("%[с%]%А"), "(с)¶[1]"},
      {Ru("раз%Едва"), "раз&nbsp;два[1]"},
      {Ru("раз") + nbsp + Ru("два"), "раз[1] два[1]"},  // a literal no-break space separates
      {Ru("раз\tдва\x01три"), "раз[1] два[1] три[1]"},  // control characters read as spaces
      {Ru(" раз%А два%А"), "раз¶[1] два¶[1]"},          // blanks before a paragraph add nothing
      {Ru("%А%Араз"), "раз[1]"},                        // no blank word before the first word
      {Ru("   %А"), ""},
      {"", ""},
      {Ru("раз%Qдва%"), "раздва[1]"},  // unknown tags and a final lone % are dropped
      {Ru("переносами%А"), "пере~[2] но~[2] са~[2] ми¶[1]"},
      {Ru("%Жпереносами"), "пе~[2] ре~[2] но~[2] са~[2] ми[1]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Cp1251ToUtf8(c.text));
    EXPECT_EQ(Describe(*Parse(c.text)), c.phrases);
  }
}

TEST_F(ParseTextTest, WordMarks) {
  const auto phrases = Parse(Ru("моло%-ко и%Жжир%Нный%А"));
  ASSERT_EQ(Describe(*phrases), "моло~[2] ко[1] ижирный¶[3]");
  const TWord& molo = phrases->Items(0).Words.Items(0);
  const TWord& hyphen = phrases->Items(0).Words.Items(1);
  EXPECT_EQ(molo.AfterSpace, 0);
  EXPECT_FALSE(molo.IsHyphen);
  EXPECT_TRUE(hyphen.IsHyphen);
  EXPECT_EQ(hyphen.Text, "");
  EXPECT_EQ(hyphen.AfterSpace, 0);
  EXPECT_FLOAT_EQ(hyphen.SizeFactor, kBase);
  EXPECT_EQ(phrases->Items(1).Words.Items(0).AfterSpace, -1);  // after the optional hyphen
  const TPhrase& last = phrases->Items(2);
  EXPECT_EQ(last.Words.Items(0).AfterSpace, -1);  // after a space
  EXPECT_EQ(last.Words.Items(1).AfterSpace, 0);
  EXPECT_FLOAT_EQ(last.Words.Items(0).FontScale, SlotScale(0));
  EXPECT_FLOAT_EQ(last.Words.Items(1).FontScale, SlotScale(1));
  EXPECT_FLOAT_EQ(last.Words.Items(2).FontScale, SlotScale(0));
  EXPECT_TRUE(last.Words.Items(2).EndsParagraph);
  EXPECT_EQ(molo.Height(), 32);
}

TEST_F(ParseTextTest, StyleTagsAndTheirReset) {
  const auto phrases = Parse(Ru("%Пп%Лл%Ыв %Юн%К%Бк %М%Мм%Аа %Л%Б%2б%Нн%А"));
  ASSERT_EQ(Describe(*phrases), "плв[1] нк[2] м¶[1] а[1] бн¶[2]");
  const TPhrase& first = phrases->Items(0);
  EXPECT_EQ(first.Justify, JLEFT);  // the size tag does not finish the word: its last setting counts
  EXPECT_EQ(first.VAlign, 1);
  const TPhrase& second = phrases->Items(1);
  EXPECT_EQ(second.VAlign, 0);
  EXPECT_FLOAT_EQ(second.Words.Items(0).SizeFactor, kBase);
  EXPECT_FLOAT_EQ(second.Words.Items(1).SizeFactor, static_cast<float>(kBase * 1.33L));
  EXPECT_FLOAT_EQ(second.Words.Items(1).FontScale, SlotScale(2));
  const float bigger = static_cast<float>(kBase * 1.33L);
  const float back = static_cast<float>(bigger / 1.33L);
  EXPECT_FLOAT_EQ(phrases->Items(2).Words.Items(0).SizeFactor, static_cast<float>(back / 1.33L));
  // After the paragraph end everything is back to the defaults.
  const TPhrase& fourth = phrases->Items(3);
  EXPECT_EQ(fourth.Justify, JCENTER);
  EXPECT_EQ(fourth.VAlign, 2);
  EXPECT_FLOAT_EQ(fourth.Words.Items(0).SizeFactor, kBase);
  EXPECT_FLOAT_EQ(fourth.Words.Items(0).FontScale, SlotScale(0));
  // "%Н" finishes "б" and resets slot, justification and size for "н".
  const TPhrase& fifth = phrases->Items(4);
  EXPECT_EQ(fifth.Words.Items(0).Justify, JLEFT);
  EXPECT_FLOAT_EQ(fifth.Words.Items(0).FontScale, SlotScale(2));
  EXPECT_FLOAT_EQ(fifth.Words.Items(0).SizeFactor, static_cast<float>(kBase * 1.33L));
  EXPECT_EQ(fifth.Words.Items(1).Justify, JCENTER);
  EXPECT_FLOAT_EQ(fifth.Words.Items(1).FontScale, SlotScale(0));
  EXPECT_FLOAT_EQ(fifth.Words.Items(1).SizeFactor, kBase);
}

TEST_F(ParseTextTest, VerticalTextHasVerticalWordsAndNoAutomaticHyphens) {
  const auto phrases = Parse(Ru("переносами моло%-ко%А"), true);
  ASSERT_EQ(Describe(*phrases), "переносами[1] моло~[2] ко¶[1]");
  for (int32_t i = 0; i < phrases->Count(); ++i) {
    EXPECT_NE(dynamic_cast<const TVertPhrase*>(&phrases->Items(i)), nullptr);
  }
  const TWord& word = phrases->Items(0).Words.Items(0);
  EXPECT_EQ(word.Width(), typeset_test::kLetterWidth);
  EXPECT_EQ(word.Height(), 9 * 23 + 32 + 1);
}

TEST_F(ParseTextTest, InlinePicture) {
  TGreyPicture picture(10, 20);
  picture.Rect(0, 19, 0, 9, 0);
  picture.SaveTga(dir.File("pic"));
  const auto phrases = Parse(Ru("до%Б%Ф(") + dir.File("pic") + Ru(")после%А"));
  ASSERT_EQ(phrases->Count(), 1);
  const TPhrase& p = phrases->Items(0);
  ASSERT_EQ(p.Words.Count(), 3);
  const TWord& pic = p.Words.Items(1);
  EXPECT_EQ(pic.Text, dir.File("pic"));
  EXPECT_EQ(pic.Height(), 20);
  EXPECT_EQ(pic.Width(), 10);
  EXPECT_EQ(pic.Pixel(5, 5), 0);
  EXPECT_FLOAT_EQ(pic.FontScale, 1.0f);
  EXPECT_FLOAT_EQ(pic.SizeFactor, static_cast<float>(kBase * 1.33L));
  EXPECT_EQ(pic.AfterSpace, 0);
  EXPECT_EQ(p.Text, Ru("до") + dir.File("pic") + Ru("после"));

  EXPECT_THROW(Parse(Ru("%Ф(") + dir.File("missing") + ")"), EDrovixError);
}

// A runaway text is refused, naming the balloon, before it can take
// unbounded memory: by its length before anything is set, and by the pixels
// its words and pictures take.
TEST_F(ParseTextTest, RunawayTextsAreRefusedNamingTheBalloon) {
  const auto failure = [&](const std::string& text) {
    try {
      ParseText(text, fonts, 7, false, kFontSize, 3);
    } catch (const EDrovixError& e) {
      return std::string(e.what());
    }
    return std::string("set");
  };
  std::string text;
  while (text.size() < static_cast<size_t>(kMaxBalloonTextLength)) text += Ru("абвг ");
  EXPECT_EQ(failure(text), "set");
  EXPECT_EQ(failure(text + Ru("а")),
            Ru("Текст балона №3 слишком длинный: 10001 знаков, а в один балон можно вписать не "
               "больше 10000.\n\rРазбей его на несколько балонов."));
  EXPECT_EQ(BalloonTextLengthError(text, 1), "");

  // A TGA header alone is a black picture of 2048 x 2048 (4 M pixels); nine
  // of them pass the budget of 32 M pixels.
  std::ofstream(dir.File("big.tga"), std::ios::binary)
      .write("\0\0\2\0\0\0\0\0\0\0\0\0\0\x08\0\x08\x18\0", 18);
  std::string pictures;
  for (int i = 0; i < 9; ++i) pictures += Ru("%Ф(") + dir.File("big") + ")";
  EXPECT_EQ(failure(pictures),
            Ru("Текст балона №3 вместе с картинками занял бы больше 128 Мб памяти: столько в "
               "один балон не впихнуть."));
}

// The check pass follows the size tags as the words are read: a text is
// refused once "%Б" takes the size past the largest letter a scan can hold,
// and no text it lets through gives any word a larger factor.
TEST_F(ParseTextTest, SizeFactorPastAnyPageIsRefused) {
  const auto bigger = [](int n) {
    std::string tags;
    for (int i = 0; i < n; ++i) tags += Ru("%Б");
    return tags;
  };
  // Size 17: 17/32 * 1.33^19 is 122 (a letter of 3900 px), one more step 163.
  const struct {
    std::string text;
    bool refused;
  } cases[] = {
      {bigger(19) + Ru("да"), false},
      {bigger(20) + Ru("да"), true},
      {bigger(400) + Ru("да"), true},     // infinity
      {bigger(21) + Ru("%М%Мда"), true},  // past the limit on the way
      {bigger(10) + Ru("да%Н") + bigger(10) + Ru("нет"), false},
      {bigger(10) + Ru("да%А") + bigger(10) + Ru("нет"), false},
      {bigger(10) + Ru("%Е%А") + bigger(10) + Ru("нет"), false},  // a no-break space is a word
      {bigger(10) + Ru("%-%А") + bigger(10) + Ru("нет"), false},  // so is an optional hyphen
      // A paragraph end before any text keeps the size, as blanks do.
      {Ru("%А") + bigger(10) + Ru(" %А%А  ") + bigger(10) + Ru("нет"), true},
      {bigger(10) + Ru("\t%А") + bigger(10) + Ru("нет"), true},
      {bigger(15) + Ru("%М%М%М%М%М") + bigger(9) + Ru("да"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Cp1251ToUtf8(c.text));
    const std::string error = SizeFactorError(c.text, kFontSize, 4);
    if (c.refused) {
      EXPECT_EQ(error, Ru("Текст балона №4 увеличен тегами \"%Б\" до букв высотой больше 4100 точек, а таких "
                          "больших страниц не бывает.\n\rУбери лишние \"%Б\"."));
      continue;
    }
    EXPECT_EQ(error, "");
    const auto phrases = Parse(c.text);
    for (int32_t i = 0; i < phrases->Count(); ++i)
      for (int32_t j = 0; j < phrases->Items(i).Words.Count(); ++j)
        EXPECT_LE(phrases->Items(i).Words.Items(j).SizeFactor, MaxSizeFactor()) << i << " " << j;
  }
  // The limit is the font size's: 100/32 * 1.33^13 still fits, 1.33^14 not.
  EXPECT_EQ(SizeFactorError(bigger(13), 100, 1), "");
  EXPECT_NE(SizeFactorError(bigger(14), 100, 1), "");
}

TEST_F(ParseTextTest, RefusesEmptyFontSlot) {
  try {
    Parse(Ru("раз %5два"));
    FAIL() << "no error";
  } catch (const EDrovixError& e) {
    EXPECT_EQ(
        std::string(e.what()),
        Ru("Тег \"%5\" выбирает шрифт №5, а команда \"ШРИФТ()\" задала шрифты только с номерами от 0 до 2."));
  }
}

TEST(FontSlotError, NamesTheFirstTagSelectingAnEmptySlot) {
  TArrayofFont three;
  for (int i = 0; i < 3; ++i) three[static_cast<size_t>(i)] = std::make_unique<TFont>("f");
  TArrayofFont one;
  one[0] = std::make_unique<TFont>("f");
  const TArrayofFont none;
  const std::string tooFew = Ru(", а команда \"ШРИФТ()\" задала шрифты только с номерами от 0 до ");
  const struct {
    const TArrayofFont* fonts;
    const char* text;
    std::string message;
  } cases[] = {
      {&three, "раз%2два%Ж%К%0%А", ""},
      {&three, "%/3 и %Ф(/шрифты/%7.tga)", ""},  // a literal % and a picture name select nothing
      {&three, "раз%3два%4", Ru("Тег \"%3\" выбирает шрифт №3") + tooFew + "2."},
      {&one, "%Жжир", Ru("Тег \"%Ж\" выбирает шрифт №1") + tooFew + "0."},
      {&one, "%Ккурсив", Ru("Тег \"%К\" выбирает шрифт №2") + tooFew + "0."},
      {&none, "%0", Ru("Шрифт №0 не задан: команда \"ШРИФТ()\" не задала ни одного шрифта.")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FontSlotError(Ru(c.text), *c.fonts), c.message);
  }
}

TEST(RewriteDashes, GluesSpacedDashesToTheWordBefore) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"Да - нет", "Да%Е- нет"}, {"а - - б", "а%Е- - б"},  // no rescan after a replacement
      {"а -- б", "а -- б"},      {"- а -", "- а -"},      {"%Ф(а - б) - в", "%Ф(а - б)%Е- в"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Cp1251ToUtf8(RewriteDashes(Ru(c.text))), c.expected);
  }
}

}  // namespace
}  // namespace drovix

#include "drovix_graph/typeset/ParseText.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/Tga.h"
#include "drovix_graph/typeset/Hyphenation.h"
#include "drovix_graph/typeset/TVertPhrase.h"
#include "drovix_graph/typeset/TWords.h"

namespace drovix {
namespace {

constexpr char kNoBreakSpace = static_cast<char>(160);
// Step of the size tags.
constexpr long double kSizeStep = 1.33L;

// Tag characters (Windows-1251) after '%'.
const std::string& TagLetters() {
  // А Б В Е Ж К Л М Н П Ф Х Ц Ш Ы Ю, in this order.
  static const std::string letters = Ru("АБВЕЖКЛМНПФХЦШЫЮ");
  return letters;
}
char Tag(size_t i) { return TagLetters()[i]; }
char TagParagraph() { return Tag(0); }
char TagBigger() { return Tag(1); }
char TagNoBreak() { return Tag(3); }
char TagBold() { return Tag(4); }
char TagItalic() { return Tag(5); }
char TagLeft() { return Tag(6); }
char TagSmaller() { return Tag(7); }
char TagNormal() { return Tag(8); }
char TagRight() { return Tag(9); }
char TagPicture() { return Tag(10); }
char TagCentre() { return Tag(12); }
char TagWidth() { return Tag(13); }
char TagTop() { return Tag(14); }
char TagBottom() { return Tag(15); }

// Calls onPiece(piece, isPicture) for the consecutive pieces of text: runs of
// ordinary text and whole picture tags "%Ф(name)". A '%' pairs with the
// character after it, so "%/Ф(" is no picture tag.
template <class F>
void ForEachPiece(const std::string& text, F&& onPiece) {
  const size_t n = text.size();
  size_t start = 0;
  size_t i = 0;
  while (i < n) {
    if (text[i] != '%' || i + 1 >= n) {
      ++i;
      continue;
    }
    if (text[i + 1] != TagPicture()) {
      i += 2;
      continue;
    }
    if (i > start) onPiece(std::string_view(text).substr(start, i - start), false);
    const size_t close = text.find(')', i + 2);
    const size_t end = close == std::string::npos ? n : close + 1;
    onPiece(std::string_view(text).substr(i, end - i), true);
    start = i = end;
  }
  if (n > start) onPiece(std::string_view(text).substr(start), false);
}

std::string ControlCharsAsSpaces(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  ForEachPiece(text, [&out](std::string_view piece, bool isPicture) {
    for (char c : piece) out.push_back(!isPicture && static_cast<unsigned char>(c) < 32 ? ' ' : c);
  });
  return out;
}

std::string WithNbspEntities(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == kNoBreakSpace) {
      out += "&nbsp;";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// Number of font slots filled from slot 0 on.
int32_t FilledSlots(const TArrayofFont& fonts) {
  int32_t n = 0;
  while (n < static_cast<int32_t>(fonts.size()) && fonts[static_cast<size_t>(n)]) ++n;
  return n;
}

std::string EmptySlotMessage(int32_t slot, const std::string& tag, const TArrayofFont& fonts) {
  const int32_t filled = FilledSlots(fonts);
  if (filled == 0)
    return Format(Ru("Шрифт №%d не задан: команда \"ШРИФТ()\" не задала ни одного шрифта."), slot);
  return Format(Ru("Тег \"%s\" выбирает шрифт №%d, а команда \"ШРИФТ()\" задала шрифты только с номерами "
                   "от 0 до %d."),
                tag.c_str(), slot, filled - 1);
}

// The font slot a tag character selects, or -1.
int32_t SlotOfTag(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c == TagBold()) return 1;
  if (c == TagItalic()) return 2;
  return -1;
}

// Reads a prepared text character by character into words.
class TWordReader {
 public:
  TWordReader(TArrayofFont& fonts, bool vertical, int32_t fontSize, int32_t balloonNumber)
      : fonts_(fonts),
        vertical_(vertical),
        baseSize_(static_cast<float>(fontSize / 32.0L)),
        balloonNumber_(balloonNumber) {
    ResetStyle();
  }

  TWords Read(const std::string& text) {
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
      const char ch = text[i];
      if (ch == ' ' || ch == kNoBreakSpace) {
        Finish(false);
        afterSpace_ = -1;
        ++i;
      } else if (ch == '%') {
        if (i + 1 >= n) break;  // a lone '%' at the end is dropped
        const char c = text[i + 1];
        i += 2;
        if (c == TagPicture()) {
          i = ReadPicture(text, i);
        } else {
          ApplyTag(c);
        }
      } else {
        current_.push_back(ch);
        ++i;
      }
    }
    if (!current_.empty()) Finish(false);
    return std::move(words_);
  }

 private:
  void ResetStyle() {
    slot_ = 0;
    slotTag_ = "%0";
    justify_ = JCENTER;
    valign_ = 2;
    sizeFactor_ = baseSize_;
  }

  // Every word and picture passes here: their pixels are counted against
  // the balloon's budget, so that no text can take unbounded memory.
  void Add(std::unique_ptr<TWord> w) {
    pixels_ += int64_t{w->Height()} * w->Width();
    if (pixels_ > kMaxBalloonTextPixels)
      Raise(Format(Ru("Текст балона №%d вместе с картинками занял бы больше %d Мб памяти: столько в "
                      "один балон не впихнуть."),
                   balloonNumber_, static_cast<int32_t>(kMaxBalloonTextPixels * 4 >> 20)));
    words_.Add(std::move(w));
  }

  void SelectSlot(int32_t slot, char tag) {
    Finish(false);
    slot_ = slot;
    slotTag_ = std::string("%") + tag;
  }

  std::unique_ptr<TWord> Make(const std::string& s) {
    TFont* font = fonts_[static_cast<size_t>(slot_)].get();
    if (font == nullptr) Raise(EmptySlotMessage(slot_, slotTag_, fonts_));
    return vertical_ ? font->MakeVertWord(s) : font->MakeWord(s);
  }

  void Finish(bool paragraphEnd) {
    if (current_.empty() && (words_.Count() == 0 || !paragraphEnd)) return;
    // A paragraph end with nothing before it gets a blank word to carry it.
    const std::string s = current_.empty() ? std::string(1, kNoBreakSpace) : current_;
    std::unique_ptr<TWord> w = Make(s);
    w->EndsParagraph = paragraphEnd;
    w->Justify = justify_;
    w->VAlign = valign_;
    w->SizeFactor = sizeFactor_;
    w->AfterSpace = afterSpace_;
    w->Text = WithNbspEntities(s);
    Add(std::move(w));
    afterSpace_ = 0;
    current_.clear();
    if (paragraphEnd) ResetStyle();
  }

  void OptionalHyphen() {
    Finish(false);
    std::unique_ptr<TWord> w = Make("-");
    w->AfterSpace = 0;
    w->IsHyphen = true;
    w->Justify = justify_;
    w->VAlign = valign_;
    w->SizeFactor = sizeFactor_;
    Add(std::move(w));
    afterSpace_ = -1;
  }

  // i is just after "%Ф"; returns the index after the picture tag.
  size_t ReadPicture(const std::string& text, size_t i) {
    Finish(false);
    if (i < text.size() && text[i] == '(') ++i;
    const size_t close = text.find(')', i);
    const size_t end = close == std::string::npos ? text.size() : close;
    const std::string name = text.substr(i, end - i);
    std::unique_ptr<TWord> w = TDrovixGraph::CreateFromFile<TWord>(name);
    w->EndsParagraph = false;
    w->Justify = justify_;
    w->VAlign = valign_;
    w->SizeFactor = sizeFactor_;
    w->FontScale = 1.0f;
    w->IsPicture = true;
    w->AfterSpace = afterSpace_;
    w->Text = name;
    Add(std::move(w));
    afterSpace_ = 0;
    current_.clear();
    return close == std::string::npos ? text.size() : close + 1;
  }

  void ApplyTag(char c) {
    if (c == '-') {
      OptionalHyphen();
    } else if (c == '/') {
      current_.push_back('%');
    } else if (c == '[') {
      current_.push_back('(');
    } else if (c == ']') {
      current_.push_back(')');
    } else if (SlotOfTag(c) >= 0) {
      SelectSlot(SlotOfTag(c), c);
    } else if (c == TagParagraph()) {
      Finish(true);
    } else if (c == TagBigger()) {
      sizeFactor_ = static_cast<float>(sizeFactor_ * kSizeStep);
    } else if (c == TagSmaller()) {
      sizeFactor_ = static_cast<float>(sizeFactor_ / kSizeStep);
    } else if (c == TagNoBreak()) {
      current_.push_back(kNoBreakSpace);
    } else if (c == TagLeft()) {
      justify_ = JLEFT;
    } else if (c == TagRight()) {
      justify_ = JRIGHT;
    } else if (c == TagCentre()) {
      justify_ = JCENTER;
    } else if (c == TagWidth()) {
      justify_ = JWIDTH;
    } else if (c == TagTop()) {
      valign_ = 1;
    } else if (c == TagBottom()) {
      valign_ = 0;
    } else if (c == TagNormal()) {
      Finish(false);
      ResetStyle();
    }
    // "%В" and "%Х" choose the balloon's class; anything else is dropped.
  }

  TArrayofFont& fonts_;
  const bool vertical_;
  const float baseSize_;
  const int32_t balloonNumber_;
  int64_t pixels_ = 0;
  TWords words_;
  std::string current_;
  int32_t afterSpace_ = 0;
  int32_t slot_ = 0;
  std::string slotTag_;
  TJustify justify_ = JCENTER;
  uint8_t valign_ = 2;
  float sizeFactor_ = 0;
};

}  // namespace

std::string BalloonTextLengthError(const std::string& balloonText, int32_t balloonNumber) {
  if (balloonText.size() <= static_cast<size_t>(kMaxBalloonTextLength)) return std::string();
  const int32_t length = static_cast<int32_t>(std::min<size_t>(balloonText.size(), 2147483647));
  return Format(Ru("Текст балона №%d слишком длинный: %d знаков, а в один балон можно вписать не "
                   "больше %d.\n\rРазбей его на несколько балонов."),
                balloonNumber, length, kMaxBalloonTextLength);
}

std::string RewriteDashes(const std::string& text) {
  static const std::string glued = "%" + std::string(1, TagNoBreak()) + "- ";
  std::string out;
  out.reserve(text.size() + 8);
  ForEachPiece(text, [&out](std::string_view piece, bool isPicture) {
    if (isPicture) {
      out.append(piece);
      return;
    }
    size_t from = 0;
    for (size_t at = piece.find(" - "); at != std::string_view::npos; at = piece.find(" - ", from)) {
      out.append(piece.substr(from, at - from));
      out += glued;
      from = at + 3;
    }
    out.append(piece.substr(from));
  });
  return out;
}

std::unique_ptr<TPhrases> ParseText(const std::string& text, TArrayofFont& fonts, int32_t minHyphenLength,
                                    bool vertical, int32_t fontSize, int32_t balloonNumber) {
  const std::string tooLong = BalloonTextLengthError(text, balloonNumber);
  if (!tooLong.empty()) Raise(tooLong);
  std::string prepared = RewriteDashes(ControlCharsAsSpaces(text));
  if (!vertical) prepared = AutoHyphenate(prepared, minHyphenLength);

  TWords words = TWordReader(fonts, vertical, fontSize, balloonNumber).Read(prepared);

  auto phrases = std::make_unique<TPhrases>();
  const auto newPhrase = [&phrases, vertical] {
    if (vertical) {
      phrases->Add(std::make_unique<TVertPhrase>());
    } else {
      phrases->Add(std::make_unique<TPhrase>());
    }
  };
  newPhrase();
  for (int32_t i = 0; i < words.Count(); ++i) {
    std::unique_ptr<TWord> w = words.Release(i);
    const bool isHyphen = w->IsHyphen;
    const bool endsParagraph = w->EndsParagraph;
    if (w->AfterSpace < 0) newPhrase();
    phrases->Last().AddWord(std::move(w));
    if (isHyphen) phrases->Last().HyphenAfter = true;
    if (endsParagraph && i < words.Count() - 1) newPhrase();
  }
  // A blank at the start of a text or of a paragraph leaves a phrase without
  // words; it would only shift its line by a space.
  phrases->DropEmpty();
  return phrases;
}

std::string FontSlotError(const std::string& balloonText, const TArrayofFont& fonts) {
  std::string error;
  ForEachPiece(balloonText, [&](std::string_view piece, bool isPicture) {
    if (isPicture || !error.empty()) return;
    for (size_t i = 0; i + 1 < piece.size(); ++i) {
      if (piece[i] != '%') continue;
      const char c = piece[i + 1];
      const int32_t slot = SlotOfTag(c);
      if (slot >= 0 && !fonts[static_cast<size_t>(slot)]) {
        error = EmptySlotMessage(slot, std::string("%") + c, fonts);
        return;
      }
      ++i;  // the tag character is consumed with its '%'
    }
  });
  return error;
}

long double MaxSizeFactor() {
  // At size factor 1 a letter's cell is TFont::CellSize pixels high at the
  // scan's own scale. No scan is larger than kMaxPictureSide a side, so no
  // balloon is either, and a letter taller than that has nowhere to go: the
  // fit could only shrink the whole text, step by step, until that letter
  // fits, and a factor that has overflowed to infinity (some 310 steps of
  // 1.33) fits at no scale at all.
  return static_cast<long double>(kMaxPictureSide) / TFont::CellSize;
}

std::string SizeFactorError(const std::string& balloonText, int32_t fontSize, int32_t balloonNumber) {
  // The same float steps as TWordReader, so that no text let through here
  // gives a word a larger factor there.
  const float base = static_cast<float>(fontSize / 32.0L);
  float factor = base;
  // TWordReader resets the size at a paragraph end only once it holds some
  // text (a word or the start of one).
  bool hasText = false;
  bool tooLarge = false;
  ForEachPiece(balloonText, [&](std::string_view piece, bool isPicture) {
    if (tooLarge) return;
    if (isPicture) {
      hasText = true;
      return;
    }
    for (size_t i = 0; i < piece.size(); ++i) {
      const char ch = piece[i];
      if (ch != '%') {
        if (ch != ' ' && ch != kNoBreakSpace && static_cast<unsigned char>(ch) >= 32) hasText = true;
        continue;
      }
      if (i + 1 >= piece.size()) break;
      const char c = piece[++i];
      if (c == TagBigger()) {
        factor = static_cast<float>(factor * kSizeStep);
        if (!(factor <= MaxSizeFactor())) {
          tooLarge = true;
          return;
        }
      } else if (c == TagSmaller()) {
        factor = static_cast<float>(factor / kSizeStep);
      } else if (c == TagNormal() || (c == TagParagraph() && hasText)) {
        factor = base;
      } else if (c == '-' || c == '/' || c == '[' || c == ']' || c == TagNoBreak()) {
        hasText = true;
      }
    }
  });
  if (!tooLarge) return std::string();
  const std::string bigger = "%" + std::string(1, TagBigger());
  return Format(Ru("Текст балона №%d увеличен тегами \"%s\" до букв высотой больше %d точек, а таких больших "
                   "страниц не бывает.\n\rУбери лишние \"%s\"."),
                balloonNumber, bigger.c_str(), kMaxPictureSide, bigger.c_str());
}

}  // namespace drovix

// Reading a balloon text with its % tags into words and phrases.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "drovix_graph/typeset/TFont.h"
#include "drovix_graph/typeset/TPhrases.h"

namespace drovix {

// The longest balloon text accepted, in characters (tags included). Every
// character costs a word raster of a few kilobytes and its share of the
// layout search; real balloons stay far below this.
inline constexpr int32_t kMaxBalloonTextLength = 10000;
// The most pixels the words and pictures of one balloon text may take at
// sheet scale (4 bytes each): one picture of the largest size still fits.
inline constexpr int64_t kMaxBalloonTextPixels = int64_t{32} << 20;

// The message refusing a balloon text longer than kMaxBalloonTextLength, or
// an empty text when the length is fine.
std::string BalloonTextLengthError(const std::string& balloonText, int32_t balloonNumber);

// Glues every spaced dash (" - ") to the word before it with a no-break
// space tag, so that a dash never starts a line. Picture names are kept.
std::string RewriteDashes(const std::string& text);

// The phrases of a balloon text already normalised by the page description
// (upper-case tags, line breaks as "%А"). Horizontal texts get automatic
// hyphenation for words of at least minHyphenLength characters; vertical
// ones are set with vertical words into vertical phrases. Control
// characters are read as spaces. Phrases without words are left out.
// Raises EDrovixError when a word needs an empty font slot or a picture
// cannot be loaded, and, naming balloonNumber, for a text longer than
// kMaxBalloonTextLength (before anything is set) or whose words and pictures
// would take more than kMaxBalloonTextPixels.
std::unique_ptr<TPhrases> ParseText(const std::string& text, TArrayofFont& fonts, int32_t minHyphenLength,
                                    bool vertical, int32_t fontSize, int32_t balloonNumber = 0);

// For the script's check pass: the message refusing the first tag of a
// normalised balloon text that selects a font slot without a font ("%0"..
// "%9", "%Ж", "%К"), or an empty text when every selected slot is filled.
std::string FontSlotError(const std::string& balloonText, const TArrayofFont& fonts);

// The largest size factor a balloon's words may have (the font size over 32
// times 1.33 for every "%Б" not undone): one whose letters, at the scan's own
// scale, would be taller than the largest scan side.
long double MaxSizeFactor();

// For the script's check pass: the message refusing a normalised balloon
// text whose "%Б" tags, set in a font of fontSize, raise the size factor
// past MaxSizeFactor() (or to infinity) anywhere in the text, naming
// balloonNumber; an empty text when the sizes stay within it. The factor
// follows the tags as the words are read: "%М" undoes one step, "%Н" and a
// paragraph end after some text go back to the font size.
std::string SizeFactorError(const std::string& balloonText, int32_t fontSize, int32_t balloonNumber);

}  // namespace drovix

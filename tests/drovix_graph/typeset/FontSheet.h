// Font sheets made by the tests: glyphs drawn as plain bars, so that their
// widths, gaps and heights are known, written as TGA files in a temporary
// folder and loaded as fonts.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/TempFolder.h"
#include "common/TgaFile.h"
#include "drovix_graph/typeset/TFont.h"
#include "drovix_graph/typeset/TWord.h"

namespace drovix::typeset_test {

class TTempDir : public test_common::TTempFolder {
 public:
  TTempDir() : TTempFolder("drovix_typeset") {}
  // Absolute, without a closing '/'.
  const std::string& Path() const { return Dir(); }
};

// A grey picture; 255 paper, 0 ink.
class TGreyPicture {
 public:
  TGreyPicture(int32_t width, int32_t height)
      : w_(width), h_(height), px_(static_cast<size_t>(width * height), 255) {}
  uint8_t& At(int32_t y, int32_t x) { return px_[static_cast<size_t>(y * w_ + x)]; }
  // Fills rows top..bottom, columns left..right (inclusive).
  void Rect(int32_t top, int32_t bottom, int32_t left, int32_t right, uint8_t level = 0) {
    for (int32_t y = top; y <= bottom; ++y)
      for (int32_t x = left; x <= right; ++x) At(y, x) = level;
  }
  // Writes "<base>.tga": 24-bit uncompressed, rows bottom-up.
  void SaveTga(const std::string& base) const {
    test_common::WriteFileBytes(
        base + ".tga",
        test_common::TgaBytes(w_, h_, test_common::TTgaForm::kRaw24, [this](int32_t x, int32_t y) {
          return uint32_t{px_[static_cast<size_t>(y * w_ + x)]} * 0x010101u;
        }));
  }

 private:
  int32_t w_, h_;
  std::vector<uint8_t> px_;
};

// A 512 x 512 sheet addressed by character cells.
class TSheet : public TGreyPicture {
 public:
  TSheet() : TGreyPicture(512, 512) {}
  // Ink in cell `code`, cell rows top..bottom and cell columns left..right.
  void Bar(uint8_t code, int32_t top, int32_t bottom, int32_t left, int32_t right, uint8_t level = 0) {
    const int32_t y0 = 32 * (code / 16);
    const int32_t x0 = 32 * (code % 16);
    Rect(y0 + top, y0 + bottom, x0 + left, x0 + right, level);
  }
};

// Shapes of the standard test font, in cell pixels.
inline constexpr int32_t kInkTop = 6;      // every letter's ink: rows 6..25
inline constexpr int32_t kInkBottom = 25;  // (Ю is 20 rows tall: FontScale 1.6)
inline constexpr int32_t kLetterWidth = 10;
inline constexpr int32_t kYuWidth = 20;
inline constexpr int32_t kDashWidth = 6;

// The standard sheet: every Russian letter (and Ё, ё) a solid block of
// kLetterWidth columns on rows kInkTop..kInkBottom, Ю kYuWidth wide, the
// hyphen-minus a bar kDashWidth wide on rows 15..16, digits and Latin
// letters blocks 8 wide, punctuation left blank.
inline TSheet StandardSheet(int32_t yuBottom = kInkBottom) {
  TSheet sheet;
  for (int code = 192; code < 256; ++code) {
    if (code != 222) sheet.Bar(static_cast<uint8_t>(code), kInkTop, kInkBottom, 0, kLetterWidth - 1);
  }
  sheet.Bar(168, kInkTop, kInkBottom, 0, kLetterWidth - 1);
  sheet.Bar(184, kInkTop, kInkBottom, 0, kLetterWidth - 1);
  sheet.Bar(222, kInkTop, yuBottom, 0, kYuWidth - 1);
  sheet.Bar('-', 15, 16, 0, kDashWidth - 1);
  for (int code = '0'; code <= '9'; ++code) sheet.Bar(static_cast<uint8_t>(code), kInkTop, kInkBottom, 0, 7);
  for (int code = 'A'; code <= 'Z'; ++code) sheet.Bar(static_cast<uint8_t>(code), kInkTop, kInkBottom, 0, 7);
  for (int code = 'a'; code <= 'z'; ++code) sheet.Bar(static_cast<uint8_t>(code), kInkTop, kInkBottom, 0, 7);
  return sheet;
}

inline std::unique_ptr<TFont> LoadSheet(const TGreyPicture& sheet, const std::string& base) {
  sheet.SaveTga(base);
  auto font = std::make_unique<TFont>(base);
  font->Load();
  return font;
}

// The ten slots with the standard font in slots 0..count-1. Slot i's Ю is
// 20 - 2i rows tall, so a word's FontScale tells its slot: 32 / (20 - 2i).
inline TArrayofFont StandardFonts(const TTempDir& dir, int32_t count = 3) {
  TArrayofFont fonts;
  for (int32_t i = 0; i < count; ++i) {
    fonts[static_cast<size_t>(i)] =
        LoadSheet(StandardSheet(kInkBottom - 2 * i), dir.File("font" + std::to_string(i)));
  }
  return fonts;
}
inline float SlotScale(int32_t slot) {
  return 32.0f / static_cast<float>(kInkBottom - kInkTop + 1 - 2 * slot);
}

// A word raster of the given sheet size and measures, ink everywhere.
inline std::unique_ptr<TWord> BlockWord(int32_t height, int32_t width, float sizeFactor, float fontScale) {
  auto w = std::make_unique<TWord>();
  w->SetSize(height, width);
  w->SizeFactor = sizeFactor;
  w->FontScale = fontScale;
  return w;
}

}  // namespace drovix::typeset_test

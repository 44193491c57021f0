// A raster font: a 512 x 512 sheet of 16 x 16 cells of 32 x 32 pixels, one
// cell per Windows-1251 code, cut into glyphs and measured when loaded.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace drovix {

class TFont {
 public:
  // Stores the sheet's base name; nothing is read until Load.
  explicit TFont(std::string fileName);
  ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // Reads and measures the sheet. Raises EDrovixError on a bad sheet.
  void Load();

  std::string FileName;
};

// Ten font slots: 0 normal, 1 bold, 2 italic, 3..9 further faces; empty
// slots hold nullptr.
using TArrayofFont = std::array<std::unique_ptr<TFont>, 10>;

}  // namespace drovix

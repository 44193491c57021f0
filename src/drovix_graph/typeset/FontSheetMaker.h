// Renders a TrueType/OpenType face into the program's font-sheet layout:
// 512 x 512 pixels, 16 x 16 cells of 32 x 32, the cell of row R and column C
// holding the character of Windows-1251 code 16R + C; grey antialiased ink
// (0 ink, 255 paper), each glyph's ink starting at its cell's left edge, one
// baseline for the whole sheet.
//
// Both drovix-fontsheet (which saves the sheet as a picture) and the font
// loader (a ШРИФТ() field naming a .ttf/.otf/.ttc file) make their sheets
// here, so a face gives the same glyphs either way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix {

struct FontSheetOptions {
  int refHeight = 0;   // ink height of Ю in pixels; 0 picks the largest that fits
  float embolden = 0;  // extra stroke width in pixels (0: none)
  float slant = 0;     // horizontal shear (0.2 is a usual oblique)
  int faceIndex = 0;
};

struct FontSheet {
  std::vector<uint8_t> pixels;  // 512 * 512 grey values, row by row
  int refHeight = 0;            // measured ink height of Ю (levels below 200)
  int pixelSize = 0;            // FreeType pixel size used
  int baseline = 0;             // baseline row inside a cell
  int drawn = 0;                // codes 32..255 that the face could draw
  std::vector<int> clipped;     // codes whose ink did not fit in the cell
};

// Raises EDrovixError (Windows-1251 message naming fontFile) when the file
// is missing, the face cannot be opened, has no Cyrillic, or cannot be
// fitted at the requested size. fontFile is a path as the program holds it
// (FileSystemName finds it on disk).
FontSheet MakeFontSheet(const std::string& fontFile, const FontSheetOptions& options);

// The sheet as a grey raster, exactly as the font loader reads the picture
// drovix-fontsheet saves from it (levels 0..255, BlackLevel 0, WhiteLevel 255).
std::unique_ptr<TDrovixGraph> FontSheetRaster(const FontSheet& sheet);

// True when the name ends in .ttf, .otf or .ttc (letter case ignored): a
// font face to rasterise rather than a sheet picture.
bool IsFontFaceFile(const std::string& name);

}  // namespace drovix

// PNG support through the system's libpng, opened at run time.
#pragma once

#include <cstdint>
#include <string>

namespace drovix {

class TDrovixGraph;

// The program-wide switch set by the key -x or the script command
// ЗАПРЕТИТЬ_ПНГ(); nothing clears it.
bool PngDisabled();
void DisablePng();
bool LibPngLoaded();
// Opens the library and resolves its entry points; does nothing while PNG
// is disabled. Raises EDrovixError when the library or an entry point is missing.
void LoadLibPng();
// Reads fileName + ".png" into raster as packed colour.
void LoadPNG(TDrovixGraph& raster, const std::string& fileName);
// Writes fileName + ".png" as a greyscale PNG of paletteDepth (8, 4 or 2)
// bits per pixel from a grey raster (pixels clamped to 0..255).
void SaveGreyPNG(const TDrovixGraph& raster, const std::string& fileName, int32_t paletteDepth);

// Test hooks: switch PNG back on (the program itself never does), and point
// the loader at another library file (closing a library already opened), so
// that a test can show how the program copes without libpng.
void SetPngDisabledForTesting(bool disabled);
void SetLibPngFileForTesting(const std::string& file);

}  // namespace drovix

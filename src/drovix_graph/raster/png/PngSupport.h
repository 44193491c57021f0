// PNG support through the system's libpng 1.6, opened at run time by its
// soname, so that the program still runs (with TGA input and BMP output)
// where the library is missing or PNG is switched off.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace drovix {

class TDrovixGraph;

// PNG colour types the writers produce.
inline constexpr int32_t kPngColourGrey = 0;
inline constexpr int32_t kPngColourRgb = 2;

// The file name the library is opened by, and named by in messages.
inline constexpr const char* kLibPngFile = "libpng16.so.16";

// The program-wide switch set by the key -x or the script command
// ЗАПРЕТИТЬ_ПНГ(); nothing clears it.
bool PngDisabled();
void DisablePng();
bool LibPngLoaded();
// Opens the library and resolves its entry points; does nothing while PNG
// is disabled or once the library is loaded. Prints "..loading <file>..."
// first. Raises EDrovixError when the library or an entry point is missing.
void LoadLibPng();

// Reads fileName + ".png" into raster as packed colour (R bits 0-7, G 8-15,
// B 16-23, A 24-31): palette, grey (1 to 16 bits), grey with alpha, RGB and
// RGBA (8 or 16 bits), interlaced or not. Loads the library on first use.
// REQUIRES: PNG not disabled. Raises EDrovixError with libpng's message
// ("Библиотека libpng передала сообщение об ошибке : ..."), for pictures
// larger than 4100 x 4100 (before any pixel memory is allocated), and for a
// truncated file.
void LoadPNG(TDrovixGraph& raster, const std::string& fileName);
// The decoder behind LoadPNG, on an open stream (the caller keeps it);
// displayName (extension included) is what the messages show.
// REQUIRES: the library is loaded.
void ReadPNG(TDrovixGraph& raster, std::FILE* stream, const std::string& displayName);

// Writes fileName + ".png" as a greyscale PNG of paletteDepth (8, 4 or 2;
// anything else counts as 8) bits per pixel from a grey raster: pixels are
// clamped to 0..255 and shifted right by 0, 4 or 6. Loads the library on
// first use; raises EDrovixError when PNG is disabled.
void SaveGreyPNG(const TDrovixGraph& raster, const std::string& fileName, int32_t paletteDepth);

// The writer behind the savers: fileName + ".png" from `height` rows of
// packed bytes, rowBytes each, one after another in `data`; colourType 0
// (grey) or 2 (RGB); compression level 9, no interlacing. The file is written
// under a temporary name and renamed when complete. noWriteStruct and
// noInfoStruct are the messages for structures the library fails to create;
// a failed write raises EWriteFailure: "Упала процедура записи PNG файла
// "<name>.png"" and the cause.
void WritePNG(const std::string& fileName, int32_t width, int32_t height, int32_t bitDepth,
              int32_t colourType, const std::vector<uint8_t>& data, size_t rowBytes,
              const std::string& noWriteStruct, const std::string& noInfoStruct);

// Test hooks: switch PNG back on (the program itself never does), and point
// the loader at another library file (closing a library already opened), so
// that a test can show how the program copes without libpng.
void SetPngDisabledForTesting(bool disabled);
void SetLibPngFileForTesting(const std::string& file);

}  // namespace drovix

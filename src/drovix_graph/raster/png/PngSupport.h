// PNG support through the system's libpng, opened at run time.
#pragma once

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

}  // namespace drovix

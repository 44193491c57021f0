// Placeholder: being built.
#include "drovix_graph/raster/png/PngSupport.h"

#include "driver/Error.h"

namespace drovix {
namespace {
bool g_disabled = false;
}
bool PngDisabled() { return g_disabled; }
void DisablePng() { g_disabled = true; }
bool LibPngLoaded() { return false; }
void LoadLibPng() { Raise("not built yet: LoadLibPng"); }
void LoadPNG(TDrovixGraph&, const std::string&) { Raise("not built yet: LoadPNG"); }
void SetPngDisabledForTesting(bool disabled) { g_disabled = disabled; }
void SetLibPngFileForTesting(const std::string&) {}
void SaveGreyPNG(const TDrovixGraph&, const std::string&, int32_t) { Raise("not built yet: SavePNG"); }

}  // namespace drovix

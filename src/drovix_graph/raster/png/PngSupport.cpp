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

}  // namespace drovix

// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

void TDrovixColorMangaScan::SaveBMP(const std::string& /*fileName*/) {
  Raise("not built yet: SaveBMP");
}

void TDrovixColorMangaScan::SavePNG(const std::string& /*fileName*/, int32_t /*paletteDepth*/) {
  Raise("not built yet: SavePNG");
}

}  // namespace drovix

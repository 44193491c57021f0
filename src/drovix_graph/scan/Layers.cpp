// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

void TDrovixMangaScan::RenderLayers(const std::string& /*description*/) {
  Raise("not built yet: RenderLayers");
}

void TDrovixMangaScan::DrawLayerColour(int32_t /*colour*/, float /*thickness*/, float /*blur*/) {
  Raise("not built yet: DrawLayerColour");
}

void TDrovixColorMangaScan::DrawLayerColour(int32_t /*colour*/, float /*thickness*/, float /*blur*/) {
  Raise("not built yet: DrawLayerColour");
}

void TDrovixMangaScan::DrawLayerTexture(const std::string& /*fileName*/, float /*thickness*/, float /*blur*/) {
  Raise("not built yet: DrawLayerTexture");
}

void TDrovixColorMangaScan::DrawLayerTexture(const std::string& /*fileName*/, float /*thickness*/, float /*blur*/) {
  Raise("not built yet: DrawLayerTexture");
}

void TDrovixMangaScan::ApplyBackground(int32_t /*colour*/, const std::string& /*smearList*/) {
  Raise("not built yet: ApplyBackground");
}

void TDrovixColorMangaScan::ApplyBackground(int32_t /*colour*/, const std::string& /*smearList*/) {
  Raise("not built yet: ApplyBackground");
}

void TDrovixMangaScan::LayText(TDrovixGraph& /*balloon*/, int32_t /*background*/, const std::string& /*smearList*/, const std::string& /*textStyle*/) {
  Raise("not built yet: LayText");
}

}  // namespace drovix

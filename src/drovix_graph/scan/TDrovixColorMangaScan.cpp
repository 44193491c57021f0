// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

TDrovixColorMangaScan::TDrovixColorMangaScan() = default;

TDrovixColorMangaScan::~TDrovixColorMangaScan() = default;

void TDrovixColorMangaScan::SplitLayers() {
  Raise("not built yet: SplitLayers");
}

std::unique_ptr<TDrovixGraph> TDrovixColorMangaScan::Clone() const {
  Raise("not built yet: Clone");
}

}  // namespace drovix

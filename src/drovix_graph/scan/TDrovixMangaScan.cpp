// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

TDrovixMangaScan::TDrovixMangaScan() = default;

TDrovixMangaScan::~TDrovixMangaScan() = default;

std::unique_ptr<TDrovixGraph> TDrovixMangaScan::NewPlane() const {
  Raise("not built yet: NewPlane");
}

void TDrovixMangaScan::SplitLayers() {
  Raise("not built yet: SplitLayers");
}

void TDrovixMangaScan::DetectCorners() {
  Raise("not built yet: DetectCorners");
}

void TDrovixMangaScan::LoadExternalMarkup() {
  Raise("not built yet: LoadExternalMarkup");
}

}  // namespace drovix

// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

void TDrovixMangaScan::ComputeContours(int32_t /*radius*/) {
  Raise("not built yet: ComputeContours");
}

void TDrovixColorMangaScan::ComputeContours(int32_t /*radius*/) {
  Raise("not built yet: ComputeContours");
}

}  // namespace drovix

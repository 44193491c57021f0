// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

void TDrovixMangaScan::CleanLevels(int32_t /*power*/) {
  Raise("not built yet: CleanLevels");
}

void TDrovixColorMangaScan::CleanLevels(int32_t /*power*/) {
  Raise("not built yet: CleanLevels");
}

void TDrovixMangaScan::SuppressGrain(int32_t /*n*/) {
  Raise("not built yet: SuppressGrain");
}

void TDrovixColorMangaScan::SuppressGrain(int32_t /*n*/) {
  Raise("not built yet: SuppressGrain");
}

}  // namespace drovix

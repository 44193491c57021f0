// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

void TDrovixMangaScan::Smear() {
  Raise("not built yet: Smear");
}

void TDrovixColorMangaScan::Smear() {
  Raise("not built yet: Smear");
}

}  // namespace drovix

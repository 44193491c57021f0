// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

void TDrovixMangaScan::FindNextBalloon() {
  Raise("not built yet: FindNextBalloon");
}

void TDrovixMangaScan::FindNextSound() {
  Raise("not built yet: FindNextSound");
}

}  // namespace drovix

// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

void TDrovixMangaScan::TypesetBalloon(const std::string& /*text*/, TArrayofFont& /*fonts*/, const std::string& /*smearList*/, float /*deviationLoathing*/, float /*transitionLoathing*/, float /*shortLineLoathing*/, float /*compressionLoathing*/, int32_t /*minHyphenLength*/, float /*spacing*/, const std::string& /*textStyle*/, int32_t /*background*/, bool /*hardcore*/, int32_t /*maxCompression*/, int32_t /*minFontSize*/, int32_t /*fontSize*/) {
  Raise("not built yet: TypesetBalloon");
}

}  // namespace drovix

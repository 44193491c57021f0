// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

void TDrovixMangaScan::MarkErrorArea(TDrovixGraph& /*plane*/, int32_t /*threshold*/) {
  Raise("not built yet: MarkErrorArea");
}

void TDrovixColorMangaScan::MarkErrorArea(TDrovixGraph& /*plane*/, int32_t /*threshold*/) {
  Raise("not built yet: MarkErrorArea");
}

void TDrovixMangaScan::ReportError(TDrovixGraph& /*plane*/, int32_t /*threshold*/, const std::string& message) {
  Raise(message);
}

}  // namespace drovix

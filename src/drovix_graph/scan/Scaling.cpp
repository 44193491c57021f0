// Placeholder: this operation is being built.
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "driver/Error.h"

namespace drovix {

float TDrovixMangaScan::ComputeScale(int32_t /*minWidth*/, int32_t /*minHeight*/, int32_t /*maxWidth*/, int32_t /*maxHeight*/) {
  Raise("not built yet: ComputeScale");
}

void TDrovixMangaScan::ScaleTo(float /*f*/) {
  Raise("not built yet: ScaleTo");
}

void TDrovixMangaScan::ScaleUpForWork(float /*s*/) {
  Raise("not built yet: ScaleUpForWork");
}

void TDrovixMangaScan::Resize(int32_t /*newHeight*/, int32_t /*newWidth*/) {
  Raise("not built yet: Resize");
}

void TDrovixColorMangaScan::Resize(int32_t /*newHeight*/, int32_t /*newWidth*/) {
  Raise("not built yet: Resize");
}

void TDrovixMangaScan::DoubleSize() {
  Raise("not built yet: DoubleSize");
}

void TDrovixColorMangaScan::DoubleSize() {
  Raise("not built yet: DoubleSize");
}

void TDrovixMangaScan::Deform(int32_t /*newHeight*/, int32_t /*newWidth*/) {
  Raise("not built yet: Deform");
}

void TDrovixColorMangaScan::Deform(int32_t /*newHeight*/, int32_t /*newWidth*/) {
  Raise("not built yet: Deform");
}

}  // namespace drovix

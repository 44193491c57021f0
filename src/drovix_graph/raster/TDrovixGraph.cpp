// Placeholder: being built.
#include "drovix_graph/raster/TDrovixGraph.h"

#include "driver/Error.h"

namespace drovix {

void TDrovixGraph::LoadFromFile(const std::string&) { Raise("not built yet: LoadFromFile"); }
void TDrovixGraph::SplitLayers() { Raise("not built yet: SplitLayers"); }
void TDrovixGraph::SaveBMP(const std::string&) { Raise("not built yet: SaveBMP"); }
void TDrovixGraph::SavePNG(const std::string&, int32_t) { Raise("not built yet: SavePNG"); }
void TDrovixGraph::Resize(int32_t, int32_t) { Raise("not built yet: Resize"); }
void TDrovixGraph::Paste(const TDrovixGraph&, int32_t, int32_t) { Raise("not built yet: Paste"); }
void TDrovixGraph::PasteDarker(const TDrovixGraph&, int32_t, int32_t) { Raise("not built yet: PasteDarker"); }
std::unique_ptr<TDrovixGraph> TDrovixGraph::Clone() const { Raise("not built yet: Clone"); }
void TDrovixGraph::FillWhite() { Raise("not built yet: FillWhite"); }
void TDrovixGraph::Invert() { Raise("not built yet: Invert"); }
int32_t TDrovixGraph::ClampedPixel(int32_t, int32_t) const { Raise("not built yet: ClampedPixel"); }
int32_t TDrovixGraph::SmoothPixel(float, float) const { Raise("not built yet: SmoothPixel"); }

}  // namespace drovix

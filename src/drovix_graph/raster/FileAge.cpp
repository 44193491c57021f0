// Placeholder: being built.
#include "drovix_graph/raster/FileAge.h"

namespace drovix {

int32_t FileAge(const std::string&) { return -1; }
std::string InputFilesAge(const std::string&) { return "-2"; }
std::string OutputFilesAge(const std::string&) { return "-2"; }

}  // namespace drovix

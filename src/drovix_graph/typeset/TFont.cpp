#include "drovix_graph/typeset/TFont.h"

#include <utility>

namespace drovix {

TFont::TFont(std::string fileName) : FileName(std::move(fileName)) {}
TFont::~TFont() = default;

void TFont::Load() {}

}  // namespace drovix

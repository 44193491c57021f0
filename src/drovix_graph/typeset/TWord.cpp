#include "drovix_graph/typeset/TWord.h"

namespace drovix {

TWord::~TWord() = default;

}  // namespace drovix

// Placeholder: being built.
#include "drovix_parser/TParamsContainer.h"

#include "driver/Error.h"

namespace drovix {

TParamsContainer::TParamsContainer() = default;
TParamsContainer::~TParamsContainer() = default;
TCommand TParamsContainer::FindCommand(const std::string&) const { Raise("not built yet"); }
void TParamsContainer::ApplyCommand(TCommand, const TStringListWithIDs&) { Raise("not built yet"); }

}  // namespace drovix

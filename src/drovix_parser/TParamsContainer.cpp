// Placeholder: being built.
#include "drovix_parser/TParamsContainer.h"

#include "driver/Error.h"

namespace drovix {

TParamsContainer::TParamsContainer() = default;
TParamsContainer::~TParamsContainer() = default;
TCommand TParamsContainer::FindCommand(const std::string&) const { Raise("not built yet"); }
void TParamsContainer::ApplyCommand(TCommand, const TStringListWithIDs&) { Raise("not built yet"); }
std::string TParamsContainer::CleanValueText(const std::string& t) { return t; }
int32_t TParamsContainer::ReadInteger(const std::string&, int32_t, int32_t) const { Raise("not built yet"); }
long double TParamsContainer::ReadNumber(const std::string&, long double, long double) const { Raise("not built yet"); }
int32_t TParamsContainer::ReadPaletteDepth(const std::string&) const { Raise("not built yet"); }
int32_t TParamsContainer::ReadColor(const std::string&) const { Raise("not built yet"); }
TSmear TParamsContainer::ReadSmearMethod(const std::string&) const { Raise("not built yet"); }
bool TParamsContainer::TryReadInteger(const std::string&, int32_t, int32_t, int32_t&) { return false; }
bool TParamsContainer::TryReadNumber(const std::string&, long double, long double, long double&) { return false; }
bool TParamsContainer::TryReadColor(const std::string&, int32_t&) { return false; }
void TParamsContainer::SetFont(int32_t, const std::string&) { Raise("not built yet"); }
void TParamsContainer::SetQuality(int32_t) { Raise("not built yet"); }
void TParamsContainer::DefineTexture(const std::string&, const std::string&) { Raise("not built yet"); }
void TParamsContainer::SetHardcoreMania() { Raise("not built yet"); }
void TParamsContainer::ApplyPageEntry(TCommand, const TStringListWithIDs&) { Raise("not built yet"); }
const std::string& CommandKeyword(TCommand) { static std::string s; return s; }
const std::string& SmearMethodName(TSmear) { static std::string s; return s; }
std::string NormalizeTextureId(const std::string& t) { return t; }

}  // namespace drovix

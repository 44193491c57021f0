// Placeholder: being built.
#include "drovix_parser/TParserHelper.h"

#include "driver/Error.h"

namespace drovix {

std::string TParserHelper::ReadName() { Raise("not built yet"); }
std::unique_ptr<TStringListWithIDs> TParserHelper::ReadParameterBlock() { Raise("not built yet"); }
std::string TParserHelper::PositionText() const { return std::string(); }
void TParserHelper::RaiseSyntaxError(const std::string&, const std::string&, const std::string&) const {
  Raise("not built yet");
}
void TParserHelper::RaiseUnknownCommand(const std::string&) const { Raise("not built yet"); }
void TParserHelper::RaiseError(const std::string& text) const { Raise(text); }
void TParserHelper::RaiseSyntaxErrorText(const std::string& text) const { Raise(text); }

}  // namespace drovix

namespace drovix {
void TParserHelper::PrepareScript(const std::string&, const std::string&) { Raise("not built yet"); }
void TParserHelper::LoadScriptFile(const std::string&) { Raise("not built yet"); }
}  // namespace drovix

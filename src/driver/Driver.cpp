// Placeholder: being built.
#include "driver/Driver.h"

namespace drovix {

namespace {
std::vector<std::string>& Args() {
  static std::vector<std::string> args;
  return args;
}
}  // namespace

void SetCommandLine(std::vector<std::string> args) { Args() = std::move(args); }
const std::vector<std::string>& CommandLine() { return Args(); }

bool HasCommandLineKey(const std::string& key) {
  auto up = [](std::string s) {
    for (auto& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
  };
  for (const auto& a : Args())
    if (up(a) == up(key)) return true;
  return false;
}

int RunDriver(int argc, char** argv) {
  SetCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  return 0;
}

}  // namespace drovix

#include "driver/CommandLine.h"

#include <utility>

namespace drovix {
namespace {

std::vector<std::string>& Args() {
  static std::vector<std::string> args;
  return args;
}

std::string UpperAscii(std::string s) {
  for (auto& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

void SetCommandLine(std::vector<std::string> args) { Args() = std::move(args); }
const std::vector<std::string>& CommandLine() { return Args(); }

bool HasCommandLineKey(const std::string& key) {
  const std::string k = UpperAscii(key);
  for (const auto& a : Args())
    if (UpperAscii(a) == k) return true;
  return false;
}

}  // namespace drovix

#include "driver/CommandLine.h"

namespace drovix {
namespace {

std::string UpperAscii(std::string s) {
  for (auto& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

bool HasCommandLineKey(const std::vector<std::string>& args, const std::string& key) {
  const std::string k = UpperAscii(key);
  for (const auto& a : args)
    if (UpperAscii(a) == k) return true;
  return false;
}

int32_t ParallelPagesKey(const std::vector<std::string>& args) {
  int32_t pages = 0;
  for (size_t k = 0; k < args.size(); ++k) {
    const std::string u = UpperAscii(args[k]);
    if (!u.starts_with("-J")) continue;
    if (u.size() == 2) {
      pages = 0;
      continue;
    }
    int64_t n = 0;
    bool digits = u.size() <= 2 + 6;  // more than a million pages is a typo
    for (size_t i = 2; i < u.size() && digits; ++i) {
      digits = u[i] >= '0' && u[i] <= '9';
      n = n * 10 + (u[i] - '0');
    }
    // Argument 1 is the script: a script named "-jeans" is no broken key.
    if (digits && n >= 1)
      pages = static_cast<int32_t>(n);
    else if (k > 0)
      pages = -1;
  }
  return pages;
}

}  // namespace drovix

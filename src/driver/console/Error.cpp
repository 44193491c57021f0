#include "driver/console/Error.h"

#include <cstdio>
#include <vector>

namespace drovix {

std::string FormatV(const char* fmtText, va_list args) {
  const std::string fmt(fmtText);
  // A plain %f in the program's formats means two decimals.
  std::string f;
  f.reserve(fmt.size() + 8);
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size() && fmt[i + 1] == 'f') {
      f += "%.2f";
      ++i;
    } else if (fmt[i] == '%' && i + 1 < fmt.size() && fmt[i + 1] == '%') {
      f += "%%";
      ++i;
    } else {
      f.push_back(fmt[i]);
    }
  }
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, f.c_str(), copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), f.c_str(), args);
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string FormatC(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string s = FormatV(fmt, args);
  va_end(args);
  return s;
}

void Raise(const std::string& message) { throw EDrovixError(message); }

}  // namespace drovix

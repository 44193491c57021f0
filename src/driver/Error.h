// The program's one exception type. Every failure is raised with its
// complete Russian message (Windows-1251); only the driver catches for good.
#pragma once

#include <cstdarg>
#include <stdexcept>
#include <string>

namespace drovix {

class EDrovixError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// printf-like formatting of Windows-1251 texts. %f prints two decimals, as
// the program's messages expect ("%f" is rewritten to "%.2f").
// Pass texts as const char* (.c_str()), numbers as int32_t or double.
std::string FormatC(const char* fmt, ...);
std::string FormatV(const char* fmt, va_list args);
template <class... Args>
std::string Format(const std::string& fmt, Args... args) {
  return FormatC(fmt.c_str(), args...);
}

// Raises EDrovixError carrying the message.
[[noreturn]] void Raise(const std::string& message);

}  // namespace drovix

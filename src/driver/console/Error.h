// The program's one exception type. Every failure is raised with its
// complete Russian message (Windows-1251); only the driver catches for good.
#pragma once

#include <cstdarg>
#include <stdexcept>
#include <string>
#include <type_traits>

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
  // Only what printf can take: a std::string here would be undefined
  // behaviour, a long double would print garbage for %f.
  static_assert(((std::is_arithmetic_v<Args> || std::is_enum_v<Args> || std::is_pointer_v<Args>)&&...),
                "Format takes numbers and const char*; pass texts with .c_str()");
  static_assert((!std::is_same_v<Args, long double> && ...),
                "Format prints double; cast long double values first");
  return FormatC(fmt.c_str(), args...);
}

// Raises EDrovixError carrying the message.
[[noreturn]] void Raise(const std::string& message);

}  // namespace drovix

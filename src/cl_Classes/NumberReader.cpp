#include "cl_Classes/NumberReader.h"

#include <charconv>
#include <system_error>

namespace drovix {
namespace {

// True when text has the form of a number; start is where its digits (or
// its '.') begin, after the sign.
bool IsDecimalNumber(std::string_view s, size_t& start) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  start = i;
  bool digits = false, dot = false;
  for (; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9')
      digits = true;
    else if (s[i] == '.' && !dot)
      dot = true;
    else
      break;
  }
  if (!digits) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j == s.size()) return false;
    for (; j < s.size(); ++j)
      if (s[j] < '0' || s[j] > '9') return false;
    i = j;
  }
  return i == s.size();
}

template <class T>
bool ReadNumber(std::string_view s, T& value) {
  size_t start = 0;
  if (!IsDecimalNumber(s, start)) return false;
  // The digits are converted without the sign, which is put back after:
  // from_chars takes no '+'.
  T v = 0;
  const char* last = s.data() + s.size();
  const auto r = std::from_chars(s.data() + start, last, v);
  if (r.ec != std::errc() || r.ptr != last) return false;
  value = (start > 0 && s[0] == '-') ? -v : v;
  return true;
}

}  // namespace

bool ReadDecimalInteger(std::string_view text, int64_t& value) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  if (first == last || *first == '+') return false;
  int64_t v = 0;
  const auto r = std::from_chars(first, last, v);
  if (r.ec != std::errc() || r.ptr != last) return false;
  value = v;
  return true;
}

bool ReadDecimalNumber(std::string_view text, long double& value) { return ReadNumber(text, value); }
bool ReadDecimalNumber(std::string_view text, float& value) { return ReadNumber(text, value); }

}  // namespace drovix

// Names as messages show them: a file or page name of a sane length as it
// is, a runaway one (a name prefix of megabytes) cut to its start and end.
//
// Only for text meant for the user; a name used to open or write a file is
// never passed through it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace drovix {

// Names up to this many bytes are shown whole.
inline constexpr size_t kLongestMessageName = 320;

// name itself when it has at most kLongestMessageName bytes; otherwise its
// first and last kLongestMessageName / 2 bytes joined by "...": the folder
// it starts in and the page and extension it ends in stay readable.
std::string MessageName(std::string_view name);

}  // namespace drovix

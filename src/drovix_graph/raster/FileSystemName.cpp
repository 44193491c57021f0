#include "drovix_graph/raster/FileSystemName.h"

#include <sys/stat.h>

#include <algorithm>
#include <string_view>

#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Any entry at all: file, folder, link (even a dangling one).
bool EntryExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.empty() ? "." : path.c_str(), &st) == 0;
}

}  // namespace

std::string FileSystemName(const std::string& path) {
  if (IsAscii(path)) return path;
  std::string out;
  out.reserve(path.size() * 2);
  bool onDisk = true;  // the folder built so far exists
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find('/', start);
    const std::string part =
        path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (IsAscii(part)) {
      out += part;
    } else {
      const bool utf8 = LooksLikeUtf8(part);
      const std::string converted = Cp1251ToUtf8(part);
      // Spellings in order of preference; the first is the UTF-8 form.
      const std::string* spellings[2] = {utf8 ? &part : &converted, utf8 ? &converted : &part};
      const std::string* chosen = nullptr;
      if (onDisk)
        for (const std::string* s : spellings)
          if (EntryExists(out + *s)) {
            chosen = s;
            break;
          }
      if (!chosen) {
        chosen = spellings[0];
        onDisk = false;
      }
      out += *chosen;
    }
    if (slash == std::string::npos) break;
    out += '/';
    start = slash + 1;
  }
  return out;
}

}  // namespace drovix

#include "drovix_graph/raster/FileAge.h"

#include <sys/stat.h>

#include <ctime>

#include "drovix_graph/raster/FileSystemName.h"

namespace drovix {

int32_t FileAge(const std::string& path) {
  struct stat st {};
  if (::stat(FileSystemName(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  std::tm t{};
  const std::time_t mtime = st.st_mtime;
  if (::localtime_r(&mtime, &t) == nullptr) return -1;
  // The packed layout covers the years 1980 to 2107; times outside it are
  // pinned to its ends rather than wrapped into nonsense.
  const int year = t.tm_year + 1900;
  if (year < 1980) return (1 << 21) | (1 << 16);  // 1980-01-01 00:00:00
  if (year > 2107)
    return static_cast<int32_t>((127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u);
  const uint32_t packed =
      (static_cast<uint32_t>(year - 1980) << 25) | (static_cast<uint32_t>(t.tm_mon + 1) << 21) |
      (static_cast<uint32_t>(t.tm_mday) << 16) | (static_cast<uint32_t>(t.tm_hour) << 11) |
      (static_cast<uint32_t>(t.tm_min) << 5) | (static_cast<uint32_t>(t.tm_sec / 2));
  return static_cast<int32_t>(packed);
}

std::string InputFilesAge(const std::string& name) {
  // Summed in 64 bits: two present files already exceed the 32-bit range.
  int64_t total = 0;
  std::string n = name;
  for (;;) {
    const int64_t a = static_cast<int64_t>(FileAge(n + ".png")) + FileAge(n + ".tga");
    total += a;
    if (a < 0) break;
    n += "_";
  }
  return std::to_string(total);
}

std::string OutputFilesAge(const std::string& name) {
  return std::to_string(static_cast<int64_t>(FileAge(name + ".png")) + FileAge(name + ".bmp"));
}

}  // namespace drovix

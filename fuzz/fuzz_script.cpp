// libFuzzer target: any bytes as a .manga script, read (UTF-8 detection
// included) and run through the check pass. Script errors are expected;
// crashes, sanitizer reports, hangs and exceptions of other kinds are not.
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDROVIX_FUZZ=ON -DDROVIX_TESTS=OFF
//   cmake --build build-fuzz --target fuzz_script && build-fuzz/fuzz/fuzz_script -max_len=4096
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "driver/console/Error.h"
#include "drovix_parser/script/TDrovixManga.h"

namespace {

// A folder with an output folder in it, made once per process.
const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "drovix-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    std::filesystem::create_directories(pattern + "/out");
    // The program's progress output would drown the fuzzer's own.
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::close(null);
    return pattern + "/";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = Folder() + "f.manga";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    drovix::TDrovixManga manga(file);
    manga.CheckPass();
  } catch (const drovix::EDrovixError&) {
  }
  return 0;
}

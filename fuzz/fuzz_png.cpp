// libFuzzer target for the PNG reader through the system's libpng: any bytes
// must end in a picture or in the program's error (libpng's errors included),
// never in a crash, a leak or a C++ exception thrown through libpng.
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDROVIX_FUZZ=ON -DDROVIX_TESTS=OFF
//   cmake --build build-fuzz --target fuzz_png && build-fuzz/fuzz/fuzz_png -max_total_time=60
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "driver/console/Error.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/raster/png/PngSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // libpng's warnings go to the console; keep them out of the fuzzer's log.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 0;
  try {
    drovix::LoadLibPng();
  } catch (const drovix::EDrovixError& e) {
    std::fprintf(stderr, "fuzz_png needs %s: %s\n", drovix::kLibPngFile, e.what());
    std::exit(1);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* f =
      size > 0 ? ::fmemopen(const_cast<uint8_t*>(data), size, "rb") : std::fopen("/dev/null", "rb");
  if (f == nullptr) return 0;
  try {
    drovix::TDrovixGraph g;
    drovix::ReadPNG(g, f, "fuzz.png");
  } catch (const drovix::EDrovixError&) {
  }
  std::fclose(f);
  return 0;
}

// libFuzzer target for the TGA reader: any bytes must end in a picture or in
// the program's error, never in a crash, a hang or an unbounded allocation.
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDROVIX_FUZZ=ON -DDROVIX_TESTS=OFF
//   cmake --build build-fuzz --target fuzz_tga && build-fuzz/fuzz/fuzz_tga -max_total_time=60
#include <cstdint>
#include <cstdio>

#include "driver/console/Error.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/raster/Tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Pictures up to the size limit are valid input, but filling 4100 x 4100
  // pixels on every run would starve the search; large ones are skipped
  // unless the limit check itself rejects them.
  if (size >= 16) {
    const uint32_t w = data[12] | (data[13] << 8), h = data[14] | (data[15] << 8);
    if (w <= drovix::kMaxPictureSide && h <= drovix::kMaxPictureSide && w * h > (1u << 18)) return 0;
  }
  std::FILE* f =
      size > 0 ? ::fmemopen(const_cast<uint8_t*>(data), size, "rb") : std::fopen("/dev/null", "rb");
  if (f == nullptr) return 0;
  try {
    drovix::TDrovixGraph g;
    drovix::ReadTGA(g, f, "fuzz");
  } catch (const drovix::EDrovixError&) {
  }
  std::fclose(f);
  return 0;
}

// libFuzzer target for textures: any bytes as a texture picture (TGA),
// loaded as a grey or a colour texture and sampled at positions from the
// first bytes, negative and far-off ones included. The program's errors are
// expected; crashes, sanitizer reports, hangs and exceptions of other kinds
// are not.
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDROVIX_FUZZ=ON -DDROVIX_TESTS=OFF
//   cmake --build build-fuzz --target fuzz_texture && build-fuzz/fuzz/fuzz_texture
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "FuzzUtil.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/TDrovixColorTexture.h"
#include "drovix_graph/raster/TDrovixTexture.h"
#include "drovix_graph/raster/png/PngSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  // Pictures up to the size limit are valid, but filling millions of pixels
  // on every run would starve the search.
  if (size >= 9 + 16) {
    const uint32_t w = data[9 + 12] | (data[9 + 13] << 8), h = data[9 + 14] | (data[9 + 15] << 8);
    if (w * h > (1u << 16) && w <= 4100 && h <= 4100) return 0;
  }
  drovix::DisablePng();
  const std::string base = drovix_fuzz::Folder() + "texture";
  drovix_fuzz::WriteFile(base + ".tga", data + 9, size - 9);
  int32_t row = 0, column = 0;
  std::memcpy(&row, data + 1, 4);
  std::memcpy(&column, data + 5, 4);
  row /= 4;  // room for the offsets below
  column /= 4;
  try {
    std::unique_ptr<drovix::TDrovixTexture> texture;
    if ((data[0] & 1) != 0) {
      auto colour = drovix::TDrovixGraph::CreateFromFile<drovix::TDrovixColorTexture>(base);
      using C = drovix::TDrovixColorTexture;
      for (const C::TChannel c : {C::CRED, C::CGREEN, C::CBLUE}) {
        (void)colour->SampleChannel(row, column, c);
        (void)colour->SmoothSampleChannel(static_cast<float>(row) / 5, static_cast<float>(column) / 2, c);
      }
      texture = std::move(colour);
    } else {
      texture = drovix::TDrovixGraph::CreateFromFile<drovix::TDrovixTexture>(base);
    }
    for (int32_t d = -2; d <= 2; ++d) {
      (void)texture->Sample(row + d, column - d);
      (void)texture->SmoothSample(static_cast<float>(row) / 7 + d, static_cast<float>(column) / 3 - d);
    }
  } catch (const drovix::EDrovixError&) {
  }
  return 0;
}

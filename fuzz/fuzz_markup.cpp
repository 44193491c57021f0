// libFuzzer target for companion markup pictures: a small page scan (its
// size and pixels from the first bytes) with a companion "<page>_.tga" made
// of the remaining bytes, either a whole file as it stands or pixels behind
// a header of the page's own size. The scan is loaded as a grey or a colour
// page (markup merged or replaced), and its balloons and sounds are searched
// for. The program's errors are expected; crashes, sanitizer reports, hangs
// and exceptions of other kinds are not.
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDROVIX_FUZZ=ON -DDROVIX_TESTS=OFF
//   cmake --build build-fuzz --target fuzz_markup && build-fuzz/fuzz/fuzz_markup
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzUtil.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  drovix::DisablePng();
  const std::string base = drovix_fuzz::Folder() + "page";
  const uint8_t flags = data[0];
  const int width = 1 + data[1] % 40, height = 1 + data[2] % 40;
  const size_t pagePixels = static_cast<size_t>(width) * height;
  const uint8_t* rest = data + 3;
  size_t left = size - 3;
  // The page's own pixels: a share of the input chosen by the flags.
  const size_t own = std::min(left, (flags & 4) != 0 ? pagePixels : left / 4);
  drovix_fuzz::WriteScan(base, width, height, rest, own);
  rest += own;
  left -= own;
  if ((flags & 1) != 0) {
    drovix_fuzz::WriteFile(base + "_.tga", rest, left);
  } else {
    std::string bytes = drovix_fuzz::TgaHeader(width, height, (flags & 8) != 0, 32);
    bytes.append(reinterpret_cast<const char*>(rest), left);
    drovix_fuzz::WriteFile(base + "_.tga", bytes);
  }
  try {
    std::unique_ptr<drovix::TDrovixMangaScan> scan;
    if ((flags & 2) != 0)
      scan = drovix::TDrovixGraph::CreateFromFile<drovix::TDrovixColorMangaScan>(base);
    else
      scan = drovix::TDrovixGraph::CreateFromFile<drovix::TDrovixMangaScan>(base);
    (void)scan->HasTransparency();
    // Error pages go beside the scan; each search stops at its first error.
    try {
      for (int i = 0; i < 3; ++i) scan->FindNextSound();
    } catch (const drovix::EDrovixError&) {
    }
    for (int i = 0; i < 3; ++i) scan->FindNextBalloon();
  } catch (const drovix::EDrovixError&) {
  }
  return 0;
}

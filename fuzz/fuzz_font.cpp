// libFuzzer target for font sheets: any bytes as the pixels of a 512 x 512
// sheet (the first byte picks the TGA form, the next 16 are a text to set),
// loaded, measured and used to set the text horizontally and vertically.
// A sheet the font refuses is expected; crashes, sanitizer reports, hangs
// and exceptions of other kinds are not.
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDROVIX_FUZZ=ON -DDROVIX_TESTS=OFF
//   cmake --build build-fuzz --target fuzz_font && build-fuzz/fuzz/fuzz_font -max_len=65536
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzUtil.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/typeset/TFont.h"
#include "drovix_graph/typeset/TWord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string base = drovix_fuzz::Folder() + "font";
  drovix::DisablePng();
  const uint8_t flags = size > 0 ? data[0] : 0;
  const size_t textLength = size > 1 ? std::min<size_t>(16, size - 1) : 0;
  const std::string text(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), textLength);
  const size_t pixelsAt = 1 + textLength;
  // Mostly the sheet's own size; now and then another one, which must be
  // refused.
  const int side = (flags & 0x30) == 0x30 ? 16 * (1 + (flags >> 6)) : 512;
  std::string bytes = drovix_fuzz::TgaHeader(side, side, (flags & 1) != 0, (flags & 2) != 0 ? 32 : 24);
  if (size > pixelsAt) bytes.append(reinterpret_cast<const char*>(data) + pixelsAt, size - pixelsAt);
  drovix_fuzz::WriteFile(base + ".tga", bytes);
  try {
    drovix::TFont font(base);
    font.Load();
    (void)font.MakeWord(text);
    (void)font.MakeVertWord(text);
    for (size_t i = 0; i + 1 < text.size(); ++i) {
      (void)font.Advance(static_cast<uint8_t>(text[i]), static_cast<uint8_t>(text[i + 1]));
      (void)font.VertAdvance(static_cast<uint8_t>(text[i]), static_cast<uint8_t>(text[i + 1]));
    }
  } catch (const drovix::EDrovixError&) {
  }
  return 0;
}

// Damaged pictures: thousands of deterministic mutations and truncations of
// valid TGA and PNG files must each end in a picture or in the program's
// error. Meant for the sanitizer build (-DDROVIX_SANITIZE=ON), where a read
// out of bounds, a leak on libpng's error path or a stray exception fails it;
// the fuzz targets in fuzz/ search further.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "RasterTestUtil.h"
#include "common/Crc32.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/raster/Tga.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix {
namespace {

using Bytes = std::vector<uint8_t>;

using test_common::Crc32;

// Recomputes every chunk CRC that still lies inside the file, so that the
// mutations reach past libpng's CRC check.
void FixPngCrcs(Bytes& b) {
  size_t at = 8;
  while (at + 12 <= b.size()) {
    const uint32_t len =
        (static_cast<uint32_t>(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
    if (len > b.size() - at - 12) break;
    const uint32_t crc = Crc32(b.data() + at + 4, len + 4);
    for (int k = 0; k < 4; ++k) b[at + 8 + len + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
    at += 12 + len;
  }
}

Bytes Mutate(const Bytes& valid, std::mt19937& rng) {
  Bytes b = valid;
  switch (rng() % 4) {
    case 0:  // truncate
      b.resize(rng() % b.size());
      break;
    case 1:  // a few random bytes
      for (int n = 1 + rng() % 4; n > 0; --n) b[rng() % b.size()] = static_cast<uint8_t>(rng());
      break;
    case 2:  // a run of random bytes inserted
      b.insert(b.begin() + static_cast<std::ptrdiff_t>(rng() % b.size()), 1 + rng() % 16,
               static_cast<uint8_t>(rng()));
      break;
    default:  // extreme values in the header area
      b[rng() % std::min<size_t>(b.size(), 40)] = (rng() & 1) ? 0xFF : 0x00;
      break;
  }
  return b;
}

// Reads bytes with reader; false when anything but the program's error escapes.
template <class Reader>
bool Survives(const Bytes& bytes, Reader reader) {
  Bytes data = bytes.empty() ? Bytes{0} : bytes;
  std::FILE* f = ::fmemopen(data.data(), bytes.size() ? bytes.size() : 1, "rb");
  if (f == nullptr) return false;
  if (bytes.empty()) std::fgetc(f);  // an empty stream
  bool ok = true;
  try {
    TDrovixGraph g;
    reader(g, f);
  } catch (const EDrovixError&) {
  } catch (...) {
    ok = false;
  }
  std::fclose(f);
  return ok;
}

TEST(ReaderRobustnessTest, DamagedTgaFiles) {
  // 32-bit run-length: a run, a raw packet, then runs to the end.
  Bytes valid = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 9, 0, 32, 0};
  for (int p = 0; p < 12; ++p) {
    const Bytes packet = {static_cast<uint8_t>(p % 2 ? 0x88 : 0x03)};
    valid.insert(valid.end(), packet.begin(), packet.end());
    for (int k = 0; k < (p % 2 ? 1 : 4); ++k)
      for (int c = 0; c < 4; ++c) valid.push_back(static_cast<uint8_t>(p * 16 + k * 4 + c));
  }
  std::mt19937 rng(20240601);
  for (int i = 0; i < 3000; ++i) {
    const Bytes b = Mutate(valid, rng);
    ASSERT_TRUE(Survives(b, [](TDrovixGraph& g, std::FILE* f) { ReadTGA(g, f, "damaged"); }))
        << "mutation " << i;
  }
}

TEST(ReaderRobustnessTest, DamagedPngFiles) {
  test::TTempDir dir;
  TDrovixGraph page;
  test::Fill(page, 20, 13, [](int y, int x) { return (y * 29 + x * 11) % 256; });
  page.SavePNG(dir.File("d8"), 8);
  page.SavePNG(dir.File("d2"), 2);
  const Bytes files[] = {test::ReadBytes(dir.File("d8.png")), test::ReadBytes(dir.File("d2.png"))};
  std::mt19937 rng(7);
  testing::internal::CaptureStdout();  // libpng's warnings
  for (int i = 0; i < 3000; ++i) {
    Bytes b = Mutate(files[i % 2], rng);
    if (i % 3) FixPngCrcs(b);
    const bool ok = Survives(b, [](TDrovixGraph& g, std::FILE* f) { ReadPNG(g, f, "damaged.png"); });
    if (!ok) {
      testing::internal::GetCapturedStdout();
      FAIL() << "mutation " << i;
    }
  }
  testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace drovix

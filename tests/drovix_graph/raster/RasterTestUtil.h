// Helpers shared by the raster tests: temporary folders, raw files, and an
// independent decoder (Debian's python3-pil) to check written files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix::test {

// A fresh folder under the system temporary folder, removed with its contents.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Sizes g to h x w and fills it from a function of (y, x).
template <class F>
void Fill(TDrovixGraph& g, int32_t h, int32_t w, F f) {
  g.SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) g.Pixel(y, x) = f(y, x);
}

// Runs a Python program with /usr/bin/python3 and returns its standard output.
// Returns false when the interpreter or PIL is missing.
bool RunPython(const std::string& program, std::string* out);
bool HavePil();

// Decodes a picture file with PIL into rows of "R,G,B,A" pixels packed the
// program's way (R bits 0-7 ... A bits 24-31). Mode is PIL's mode string.
struct TDecoded {
  int32_t width = 0, height = 0;
  std::string mode;
  std::vector<std::vector<uint32_t>> rgba;
};
TDecoded DecodeWithPil(const std::string& path);

}  // namespace drovix::test

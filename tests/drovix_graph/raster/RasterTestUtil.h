// Helpers shared by the raster tests (and the colour scan's file tests):
// temporary folders, raw files, and an independent decoder (Debian's
// python3-pil, run by /usr/bin/python3) to check written files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/RunCommand.h"
#include "common/TempFolder.h"
#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix::test {

// A fresh folder under the system temporary folder, removed with its contents.
class TTempDir : public test_common::TTempFolder {
 public:
  TTempDir() : TTempFolder("drovix-raster") {
    if (Dir().empty()) ADD_FAILURE() << "mkdtemp failed";
  }
  // Absolute, without a closing '/'.
  const std::string& Path() const { return Dir(); }
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Sizes g to h x w and fills it from a function of (y, x).
template <class F>
void Fill(TDrovixGraph& g, int32_t h, int32_t w, F f) {
  g.SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) g.Pixel(y, x) = f(y, x);
}

// Runs a Python program with /usr/bin/python3; *out receives its standard
// output and error. False when the interpreter is missing or the program fails.
inline bool RunPython(const std::string& program, std::string* out) {
  if (::access("/usr/bin/python3", X_OK) != 0) return false;
  const std::string script =
      (std::filesystem::temp_directory_path() / ("drovix-py-" + std::to_string(::getpid()) + ".py")).string();
  {
    std::ofstream f(script);
    f << program;
  }
  const TCommandResult run = RunCommand("/usr/bin/python3 " + script + " 2>&1");
  std::remove(script.c_str());
  if (out) *out = run.output;
  return run.status == 0;
}

inline bool HavePil() {
  static const bool have = RunPython("import PIL.Image\n", nullptr);
  return have;
}

// A picture decoded by PIL: pixels packed the program's way (R bits 0-7,
// G 8-15, B 16-23, A 24-31), rgba[y][x]; mode is PIL's mode of the file.
struct TDecoded {
  int32_t width = 0, height = 0;
  std::string mode;
  std::vector<std::vector<uint32_t>> rgba;
};

inline TDecoded DecodeWithPil(const std::string& path) {
  TDecoded d;
  std::string out;
  const std::string program =
      "from PIL import Image\n"
      "im = Image.open(r'''" +
      path +
      "''')\n"
      "print(im.width, im.height, im.mode)\n"
      "px = im.convert('RGBA').load()\n"
      "for y in range(im.height):\n"
      "    print(' '.join(str(px[x,y][0] | (px[x,y][1] << 8) | (px[x,y][2] << 16) | (px[x,y][3] << 24))"
      " for x in range(im.width)))\n";
  if (!RunPython(program, &out)) {
    ADD_FAILURE() << "PIL could not decode " << path << ":\n" << out;
    return d;
  }
  std::istringstream in(out);
  in >> d.width >> d.height >> d.mode;
  d.rgba.assign(static_cast<size_t>(d.height), std::vector<uint32_t>(static_cast<size_t>(d.width)));
  for (auto& row : d.rgba)
    for (auto& v : row) in >> v;
  return d;
}

}  // namespace drovix::test

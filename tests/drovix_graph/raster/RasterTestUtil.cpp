#include "RasterTestUtil.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace drovix::test {

TTempDir::TTempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "drovix-raster-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  path_ = tmpl;
}

TTempDir::~TTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool RunPython(const std::string& program, std::string* out) {
  if (::access("/usr/bin/python3", X_OK) != 0) return false;
  const std::string script = (std::filesystem::temp_directory_path() /
                              ("drovix-py-" + std::to_string(::getpid()) + ".py")).string();
  {
    std::ofstream f(script);
    f << program;
  }
  FILE* p = ::popen(("/usr/bin/python3 " + script + " 2>&1").c_str(), "r");
  if (!p) return false;
  std::string text;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) text.append(buf.data(), n);
  const int rc = ::pclose(p);
  std::remove(script.c_str());
  if (out) *out = text;
  return rc == 0;
}

bool HavePil() {
  static const bool have = RunPython("import PIL.Image\n", nullptr);
  return have;
}

TDecoded DecodeWithPil(const std::string& path) {
  TDecoded d;
  std::string out;
  const std::string program =
      "from PIL import Image\n"
      "im = Image.open(r'''" + path + "''')\n"
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

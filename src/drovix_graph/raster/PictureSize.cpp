#include "drovix_graph/raster/PictureSize.h"

#include <fstream>

#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix {
namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

TPictureSize TgaHeaderSize(const uint8_t* head) {
  return {head[12] | (head[13] << 8), head[14] | (head[15] << 8)};
}

TPictureSize PngHeaderSize(const uint8_t* head) { return {BigEndian32(head + 16), BigEndian32(head + 20)}; }

TPictureSize PictureFileSize(const std::string& basePath) {
  uint8_t h[24] = {};
  if (!PngDisabled()) {
    std::ifstream png(FileSystemName(basePath + ".png"), std::ios::binary);
    if (png.is_open()) {
      if (png.read(reinterpret_cast<char*>(h), sizeof h)) return PngHeaderSize(h);
      return {};
    }
  }
  std::ifstream tga(FileSystemName(basePath + ".tga"), std::ios::binary);
  if (tga.read(reinterpret_cast<char*>(h), 18)) return TgaHeaderSize(h);
  return {};
}

}  // namespace drovix

// Saving a colour page: 24-bit BMP and 8-bit RGB PNG built from the scan's
// three planes (blue in the raster itself, green and red in their planes).
#include <vector>

#include "driver/console/Cp1251.h"
#include "drovix_graph/raster/Bmp.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"

namespace drovix {

void TDrovixColorMangaScan::SaveBMP(const std::string& fileName) {
  const int32_t w = Width();
  WriteBmp24(fileName, w, Height(), [this, w](int32_t y, uint8_t* out) {
    const int32_t* b = RowPtr(y);
    const int32_t* g = GreenPlane->RowPtr(y);
    const int32_t* r = RedPlane->RowPtr(y);
    for (int32_t x = 0; x < w; ++x, out += 3) {
      out[0] = static_cast<uint8_t>(Clamp(b[x], 0, 255));
      out[1] = static_cast<uint8_t>(Clamp(g[x], 0, 255));
      out[2] = static_cast<uint8_t>(Clamp(r[x], 0, 255));
    }
  });
}

void TDrovixColorMangaScan::SavePNG(const std::string& fileName, int32_t /*paletteDepth*/) {
  const int32_t w = Width(), h = Height();
  const size_t rowBytes = static_cast<size_t>(w) * 3;
  std::vector<uint8_t> data(rowBytes * static_cast<size_t>(h));
  for (int32_t y = 0; y < h; ++y) {
    const int32_t* b = RowPtr(y);
    const int32_t* g = GreenPlane->RowPtr(y);
    const int32_t* r = RedPlane->RowPtr(y);
    uint8_t* out = data.data() + static_cast<size_t>(y) * rowBytes;
    for (int32_t x = 0; x < w; ++x, out += 3) {
      out[0] = static_cast<uint8_t>(Clamp(r[x], 0, 255));
      out[1] = static_cast<uint8_t>(Clamp(g[x], 0, 255));
      out[2] = static_cast<uint8_t>(Clamp(b[x], 0, 255));
    }
  }
  WritePNG(fileName, w, h, 8, kPngColourRgb, data, rowBytes,
           Ru("Ошибка при обращении к PngLib: не сработала функция png_create_write_struct failed"),
           Ru("Ошибка при обращении к PngLib: не сработала функция png_create_info_struct failed"));
}

}  // namespace drovix

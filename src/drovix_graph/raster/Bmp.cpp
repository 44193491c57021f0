#include "drovix_graph/raster/Bmp.h"

#include <exception>
#include <vector>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/raster/TOutputFile.h"
#include "drovix_graph/raster/WriteFailure.h"

namespace drovix {
namespace {

void Put16(std::vector<uint8_t>& h, size_t at, uint32_t v) {
  h[at] = static_cast<uint8_t>(v);
  h[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& h, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) h[at + k] = static_cast<uint8_t>(v >> (8 * k));
}

// Writes header and rows; false on any write failure, with its errno in
// error.
bool WriteBmp(const std::string& fileName, int32_t width, int32_t height, int32_t bytesPerPixel,
              const TBmpRowFiller& fill, int& error) {
  const bool grey = bytesPerPixel == 1;
  const uint32_t headerSize = grey ? 1078 : 54;
  const uint32_t dataBytes = static_cast<uint32_t>(width) * static_cast<uint32_t>(bytesPerPixel);
  const uint32_t rowSize = (dataBytes + 3) / 4 * 4;
  const uint32_t imageSize = rowSize * static_cast<uint32_t>(height);
  std::vector<uint8_t> h(headerSize, 0);
  h[0] = 'B';
  h[1] = 'M';
  Put32(h, 2, headerSize + imageSize);
  Put32(h, 10, headerSize);
  Put32(h, 14, 40);
  Put32(h, 18, static_cast<uint32_t>(width));
  Put32(h, 22, static_cast<uint32_t>(height));
  Put16(h, 26, 1);
  Put16(h, 28, grey ? 8 : 24);
  Put32(h, 34, imageSize);
  Put32(h, 38, 96);
  Put32(h, 42, 96);
  Put32(h, 46, grey ? 256 : 0);
  if (grey)
    for (uint32_t i = 0; i < 256; ++i) {
      h[54 + 4 * i] = h[55 + 4 * i] = h[56 + 4 * i] = static_cast<uint8_t>(i);
    }

  TOutputFile out(fileName);
  const auto failed = [&] {
    error = out.Error();
    return false;
  };
  if (!out.Write(h.data(), h.size())) return failed();
  std::vector<uint8_t> row(rowSize, 0);  // padding bytes stay 0
  for (int32_t y = height - 1; y >= 0; --y) {
    fill(y, row.data());
    if (!out.Write(row.data(), row.size())) return failed();
  }
  return out.Commit() || failed();
}

void WriteOrRaise(const std::string& fileName, int32_t width, int32_t height, int32_t bytesPerPixel,
                  const TBmpRowFiller& fill) {
  const std::string what =
      Format(Ru("Упала процедура записи BMP файла \"%s\""), MessageName(fileName).c_str());
  int error = 0;
  bool ok = false;
  try {
    ok = WriteBmp(fileName, width, height, bytesPerPixel, fill, error);
  } catch (const std::exception& e) {
    throw EWriteFailure(what, e.what());
  }
  if (!ok) RaiseWriteFailure(what, error);
}

}  // namespace

void WriteBmp8(const std::string& fileName, int32_t width, int32_t height, const TBmpRowFiller& fill) {
  WriteOrRaise(fileName, width, height, 1, fill);
}

void WriteBmp24(const std::string& fileName, int32_t width, int32_t height, const TBmpRowFiller& fill) {
  WriteOrRaise(fileName, width, height, 3, fill);
}

}  // namespace drovix

// BMP output: the 8-bit grey file every raster is saved as, and the 24-bit
// file of colour pages. Rows are stored bottom-up and padded to 4 bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace drovix {

// Fills one row of bytes for the file: for the 8-bit writer `width` bytes,
// for the 24-bit writer 3 * `width` bytes in the order blue, green, red.
// Called for every y from height - 1 down to 0.
using TBmpRowFiller = std::function<void(int32_t y, uint8_t* out)>;

// Writes an 8-bit file with a grey ramp palette (1078-byte header).
// fileName is complete (extension included); the file is written under a
// temporary name and renamed. Any failure raises EWriteFailure (see
// WriteFailure.h): "Упала процедура записи BMP файла "<fileName>"" and the
// cause.
void WriteBmp8(const std::string& fileName, int32_t width, int32_t height, const TBmpRowFiller& fill);
// Writes a 24-bit file (54-byte header); the same failure message.
void WriteBmp24(const std::string& fileName, int32_t width, int32_t height, const TBmpRowFiller& fill);

}  // namespace drovix

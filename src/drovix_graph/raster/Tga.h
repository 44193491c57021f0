// TGA input: 24- and 32-bit true colour, uncompressed or run-length encoded.
#pragma once

#include <cstdio>
#include <string>

namespace drovix {

class TDrovixGraph;

// Largest accepted picture side, for TGA and PNG alike.
inline constexpr int32_t kMaxPictureSide = 4100;

// Reads fileName + ".tga" into raster as packed colour (R bits 0-7, G 8-15,
// B 16-23, A 24-31), row 0 at the top. Raises EDrovixError with the complete
// message for an unsupported, oversized or corrupt file; messages name
// fileName as passed (without extension). A compressed stream that ends
// before the picture is full is refused as a cut file; missing uncompressed
// data reads as black.
void LoadTGA(TDrovixGraph& raster, const std::string& fileName);

// The decoder behind LoadTGA, on a stream positioned at the header; name is
// what the messages show. The stream stays open (the caller owns it).
void ReadTGA(TDrovixGraph& raster, std::FILE* stream, const std::string& name);

}  // namespace drovix

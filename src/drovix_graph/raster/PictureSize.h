// The size of a picture file as its header gives it, read without decoding
// the picture: for planning the memory of pages before they are loaded.
#pragma once

#include <cstdint>
#include <string>

namespace drovix {

struct TPictureSize {
  int64_t Width = 0;
  int64_t Height = 0;
};

// Width and height of a TGA header (its first 18 bytes): little-endian
// words at bytes 12 and 14.
TPictureSize TgaHeaderSize(const uint8_t* head);
// Width and height of a PNG file's start (its first 24 bytes, the signature
// and the IHDR chunk): big-endian at bytes 16 and 20.
TPictureSize PngHeaderSize(const uint8_t* head);

// The size of the picture a scan loads from basePath: basePath + ".png"
// when PNG is on and that file opens, else basePath + ".tga". 0 x 0 when
// there is none or its header cannot be read. Nothing is checked: the load
// refuses what is broken or too large.
TPictureSize PictureFileSize(const std::string& basePath);

}  // namespace drovix

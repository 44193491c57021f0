// The CRC-32 of PNG chunks (and zip), for tests that build or repair PNG
// files byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace drovix::test_common {

inline uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

inline uint32_t Crc32(const std::string& bytes) {
  return Crc32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace drovix::test_common

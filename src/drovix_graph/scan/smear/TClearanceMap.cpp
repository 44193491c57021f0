// The clearance maps of a page's transparency (see TClearanceMap.h).
#include "drovix_graph/scan/smear/TClearanceMap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "drovix_graph/scan/smear/SmearThresholds.h"

namespace drovix {

void TClearanceMap::Compute(int32_t* const* rows, int32_t width, int32_t height) {
  ComputeClearance(rows, width, height);
  ComputeBlocks(rows, width, height);
}

// What the four neighbours of a sample inside the page show: a sample
// whose truncated position is (r, c) reads (r, c), (r, c + 1), (r + 1, c)
// and (r + 1, c + 1), the last row and column standing in for the ones
// beyond them, as in TSample. A sample none of whose neighbours is opaque
// enough also holds the clearance of (r, c), so that the walk reads one
// byte per sample.
void TClearanceMap::ComputeBlocks(int32_t* const* rows, int32_t width, int32_t height) {
  const size_t w = static_cast<size_t>(width);
  blocks_.assign(w * static_cast<size_t>(height), kMixedBlock);
  for (int32_t y = 0; y < height; ++y) {
    const int32_t* top = rows[static_cast<size_t>(y)];
    const int32_t* bottom = rows[static_cast<size_t>(std::min(y + 1, height - 1))];
    uint8_t* block = &blocks_[static_cast<size_t>(y) * w];
    const uint16_t* clear = &clearance_[static_cast<size_t>(y) * w];
    for (int32_t x = 0; x < width; ++x) {
      const int32_t next = std::min(x + 1, width - 1);
      const int32_t hi = std::max(std::max(top[x], top[next]), std::max(bottom[x], bottom[next]));
      const int32_t lo = std::min(std::min(top[x], top[next]), std::min(bottom[x], bottom[next]));
      block[x] = hi <= kSmearSourceAtMost ? kOpaqueBlock
                 : lo > kSmearSourceAtMost
                     ? static_cast<uint8_t>(kClearBlock + std::min<uint32_t>(clear[x], kClearMost))
                     : kMixedBlock;
    }
  }
}

// Two passes of the chessboard distance transform, which is exact for the
// larger of the row and column distances.
void TClearanceMap::ComputeClearance(int32_t* const* rows, int32_t width, int32_t height) {
  constexpr uint32_t kFar = 65535;
  const size_t w = static_cast<size_t>(width);
  clearance_.assign(w * static_cast<size_t>(height), kFar);
  auto relax = [&](size_t i, uint32_t neighbour) {
    const uint32_t d = std::min(neighbour + 1, kFar);
    if (d < clearance_[i]) clearance_[i] = static_cast<uint16_t>(d);
  };
  for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
    const int32_t* transparency = rows[y];
    for (size_t x = 0; x < w; ++x) {
      const size_t i = y * w + x;
      if (transparency[x] <= kSmearSourceAtMost) {
        clearance_[i] = 0;
        continue;
      }
      if (x > 0) relax(i, clearance_[i - 1]);
      if (y > 0) {
        relax(i, clearance_[i - w]);
        if (x > 0) relax(i, clearance_[i - w - 1]);
        if (x + 1 < w) relax(i, clearance_[i - w + 1]);
      }
    }
  }
  for (size_t y = static_cast<size_t>(height); y-- > 0;) {
    for (size_t x = w; x-- > 0;) {
      const size_t i = y * w + x;
      if (x + 1 < w) relax(i, clearance_[i + 1]);
      if (y + 1 < static_cast<size_t>(height)) {
        relax(i, clearance_[i + w]);
        if (x > 0) relax(i, clearance_[i + w - 1]);
        if (x + 1 < w) relax(i, clearance_[i + w + 1]);
      }
    }
  }
}

}  // namespace drovix

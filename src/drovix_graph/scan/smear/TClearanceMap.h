// TClearanceMap: the per-page maps the rays read one byte of per sample,
// whether the four neighbours of a position are opaque, mixed or clear, and
// how far a clear pixel lies from the nearest opaque one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace drovix {

class TClearanceMap {
 public:
  // Per pixel, for a sample inside the page whose truncated position it is:
  // all four neighbours opaque enough (a source, next to no target), some
  // (to be worked out), or none: kClearBlock + the clearance of the pixel,
  // counted up to kClearMost.
  static constexpr uint8_t kOpaqueBlock = 0, kMixedBlock = 1, kClearBlock = 2;
  static constexpr uint32_t kClearMost = 255 - kClearBlock;
  static constexpr uint8_t kClearCapped = kClearBlock + kClearMost;

  // Both maps of a page of width x height pixels whose transparency rows
  // are rows[0 .. height).
  void Compute(int32_t* const* rows, int32_t width, int32_t height);

  // The block of pixel i (row-major), REQUIRES: i < width x height.
  uint8_t Block(size_t i) const { return blocks_[i]; }

  // The distance of pixel i (the larger of the row and column distances, at
  // most 65535) to the nearest pixel of transparency <= 12. The walk reads
  // it where the block holds kClearCapped, so that a ray over a wide
  // transparent stretch skips as far as it can.
  uint16_t Clearance(size_t i) const { return clearance_[i]; }

 private:
  void ComputeClearance(int32_t* const* rows, int32_t width, int32_t height);
  void ComputeBlocks(int32_t* const* rows, int32_t width, int32_t height);

  std::vector<uint8_t> blocks_;
  std::vector<uint16_t> clearance_;
};

}  // namespace drovix

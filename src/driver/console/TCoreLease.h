// The processor cores of the machine, shared by the pages built side by
// side and by the threads a page starts for its own slow steps. Every page
// in flight holds one core; a step that can split its work borrows the
// cores nobody holds, so that a chapter never runs more busy threads than
// there are cores.
#pragma once

#include <cstdint>

namespace drovix {

// The cores this process may run on.
int32_t ProcessorCount();

// Makes `cores` cores free for the leases of the run that starts (the
// processor count until this is called). REQUIRES: no lease is held.
void SetCoreCount(int32_t cores);

class TCoreLease {
 public:
  // Takes up to `wanted` of the cores nobody holds (possibly none).
  explicit TCoreLease(int32_t wanted);
  ~TCoreLease();
  TCoreLease(const TCoreLease&) = delete;
  TCoreLease& operator=(const TCoreLease&) = delete;

  // Cores taken.
  int32_t Count() const { return count_; }

 private:
  int32_t count_ = 0;
};

}  // namespace drovix

#include "driver/console/TCoreLease.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace drovix {
namespace {

// Cores nobody holds; set from the processor count when first needed.
std::atomic<int32_t>& FreeCores() {
  static std::atomic<int32_t> free{ProcessorCount()};
  return free;
}

}  // namespace

int32_t ProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
  return static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
}

void SetCoreCount(int32_t cores) { FreeCores().store(std::max(cores, 1)); }

TCoreLease::TCoreLease(int32_t wanted) {
  std::atomic<int32_t>& free = FreeCores();
  int32_t now = free.load();
  do {
    count_ = std::clamp(now, 0, std::max(wanted, 0));
  } while (count_ > 0 && !free.compare_exchange_weak(now, now - count_));
}

TCoreLease::~TCoreLease() {
  if (count_ > 0) FreeCores().fetch_add(count_);
}

}  // namespace drovix

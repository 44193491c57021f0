// The core leases: a lease takes what is free and no more, gives it back
// when it goes, and leases taken from many threads at once never hold more
// cores together than the run was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "driver/console/TCoreLease.h"

namespace drovix {
namespace {

int32_t FreeNow() { return TCoreLease(1 << 20).Count(); }

TEST(CoreLease, TakesWhatIsFreeAndGivesItBack) {
  SetCoreCount(3);
  {
    const TCoreLease one(1);
    EXPECT_EQ(one.Count(), 1);
    auto more = std::make_unique<TCoreLease>(5);
    EXPECT_EQ(more->Count(), 2);  // all that is left
    EXPECT_EQ(TCoreLease(1).Count(), 0);
    EXPECT_EQ(TCoreLease(0).Count(), 0);
    EXPECT_EQ(TCoreLease(-2).Count(), 0);
    more.reset();
    EXPECT_EQ(FreeNow(), 2);
  }
  EXPECT_EQ(FreeNow(), 3);
  // A run is never left without a core.
  for (const int32_t cores : {0, -4}) {
    SetCoreCount(cores);
    EXPECT_EQ(FreeNow(), 1) << cores;
  }
  SetCoreCount(ProcessorCount());
  EXPECT_EQ(FreeNow(), ProcessorCount());
  EXPECT_GE(ProcessorCount(), 1);
}

TEST(CoreLease, ThreadsTogetherNeverHoldMoreThanTheRunsCores) {
  constexpr int32_t kCores = 4;
  SetCoreCount(kCores);
  std::atomic<int32_t> held{0}, most{0};
  std::atomic<int64_t> taken{0};
  std::vector<std::thread> threads;
  for (int32_t t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      for (int32_t i = 0; i < 3000; ++i) {
        const TCoreLease lease(1 + (t + i) % 3);
        const int32_t now = held.fetch_add(lease.Count()) + lease.Count();
        int32_t seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        taken += lease.Count();
        held.fetch_sub(lease.Count());
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_LE(most.load(), kCores);
  EXPECT_GT(taken.load(), 0);
  EXPECT_EQ(FreeNow(), kCores);  // every core came back
}

}  // namespace
}  // namespace drovix

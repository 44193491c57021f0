#include "drovix_graph/raster/ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "driver/console/TCoreLease.h"

namespace drovix {
namespace {

// Below this many pixels a pass runs on one thread: starting threads costs
// more than it saves.
constexpr int64_t kSmallPass = int64_t{1} << 20;

std::atomic<int32_t> forcedBands{0};

}  // namespace

void SetParallelRowsForTesting(int32_t bands) { forcedBands.store(std::max(bands, 0)); }

void SideBySide(int32_t count, const std::function<void(int32_t b)>& band) {
  std::vector<std::exception_ptr> failures(static_cast<size_t>(std::max(count, 0)));
  const auto run = [&](int32_t b) {
    try {
      band(b);
    } catch (...) {
      failures[static_cast<size_t>(b)] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  threads.reserve(static_cast<size_t>(std::max(count - 1, 0)));
  int32_t started = 1;
  try {
    for (; started < count; ++started) threads.emplace_back(run, started);
  } catch (const std::system_error&) {
  }
  if (count > 0) run(0);
  for (int32_t b = started; b < count; ++b) run(b);
  for (std::thread& thread : threads) thread.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

void ParallelRows(int32_t count, int64_t work, const std::function<void(int32_t first, int32_t end)>& rows) {
  if (count <= 0) return;
  const int32_t forced = forcedBands.load();
  const bool small = forced == 0 && work < kSmallPass;
  const TCoreLease helpers(small || forced > 0 ? 0 : ProcessorCount() - 1);
  const int32_t bands = std::min(count, forced > 0 ? forced : 1 + helpers.Count());
  if (bands <= 1) {
    rows(0, count);
    return;
  }
  const auto start = [&](int32_t b) { return static_cast<int32_t>(int64_t{count} * b / bands); };
  SideBySide(bands, [&](int32_t b) { rows(start(b), start(b + 1)); });
}

}  // namespace drovix

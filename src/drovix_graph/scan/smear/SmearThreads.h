// How many threads text removal uses. By default a page borrows the cores
// that no other page in flight holds (see TCoreLease) and splits its rows
// into that many bands, when it has enough targets to be worth it.
#pragma once

#include <cstdint>

namespace drovix {

// For tests: split every ray-casting refill into this many bands of rows,
// each in its own thread, whatever the cores and the page; 0 restores the
// automatic choice.
void SetSmearThreadsForTesting(int32_t threads);

}  // namespace drovix

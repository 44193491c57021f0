// Whole-page passes whose output rows are computed independently of one
// another (each from the unchanged input), split into bands of rows on the
// cores no page in flight holds (see TCoreLease). The result does not
// depend on the split.
#pragma once

#include <cstdint>
#include <functional>

namespace drovix {

// Calls rows(first, end) for consecutive bands covering 0 .. count - 1, on
// one thread or several; band 0, which starts at row 0, runs on the
// calling thread, and rows(first, end) of the other bands must neither
// write to the console nor touch what another band writes. work: about how
// many pixels the pass visits, so that small passes stay on one thread.
// A failure in any band is raised once all are done.
void ParallelRows(int32_t count, int64_t work, const std::function<void(int32_t first, int32_t end)>& rows);

// Calls band(b) for b = 0 .. count - 1, band 0 on the calling thread and
// each other on a thread of its own (one that cannot be started runs on the
// calling thread after band 0). A failure is raised once all are done.
void SideBySide(int32_t count, const std::function<void(int32_t b)>& band);

// For tests: split every pass into this many bands, whatever its size and
// the cores; 0 restores the automatic choice.
void SetParallelRowsForTesting(int32_t bands);

}  // namespace drovix

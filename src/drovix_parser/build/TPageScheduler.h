// Builds the pages of a script, several at a time, so that everything the
// user sees is what building them one after another shows: the console text
// in script order (the first unfinished page prints live, the others' text
// is held until their turn), the build record, the output pages,
// "_error.bmp" and the failure report.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace drovix {

class TDrovixManga;

class TPageScheduler {
 public:
  // parallel: pages built at the same time; 0 for as many as the processor
  // has cores, fewer while their working planes would not fit in the
  // available memory. REQUIRES: manga's check pass and fonts are done and
  // manga.BuildRecord is present.
  TPageScheduler(TDrovixManga& manga, int32_t parallel);
  ~TPageScheduler();
  TPageScheduler(const TPageScheduler&) = delete;
  TPageScheduler& operator=(const TPageScheduler&) = delete;

  // Builds every page of manga.Pages and frees each page once it is done.
  // A page is finished in script order: its record entry is taken into
  // manga.BuildRecord, which is written to its file when that changed it.
  // The first failing page in script order ends the run as it would alone:
  // pages after it are stopped and their results dropped (their files may
  // remain, the record does not list them), the record of the pages before
  // it is written, manga.BuildRecord is freed and the page's failure
  // raised (followed by the record's own failure when the record could not
  // be written). After Ctrl-C or SIGTERM the pages in flight stop at their next
  // step boundary, the finished ones before the first unfinished page are
  // recorded and EInterrupted is raised. A record that cannot be written
  // is tried again after the next page and raised once, at the end.
  void Run();

  // Pages the run builds at the same time.
  int32_t Workers() const { return workers_; }

  // Caps the pages in flight by bytes of working planes in place of the
  // available memory, whatever the parallel argument; 0 or less: no cap.
  // Call before Run().
  void SetMemoryBudgetForTesting(int64_t bytes);
  // The most pages the last Run() had in flight at once.
  int32_t MostPagesInFlightForTesting() const { return mostInFlight_; }

  struct TJob;

 private:
  bool CanStart(size_t head, size_t index, int64_t inFlightBytes, int32_t running) const;
  void Start(size_t index);
  void Work(TJob& job);
  // Takes a finished page's record entry; false when the page failed.
  bool Finish(size_t index);
  void StopAll();
  void SaveRecordIfChanged();

  TDrovixManga& manga_;
  int32_t workers_ = 1;
  bool memoryCapped_ = false;
  int64_t memoryBudget_ = 0;
  std::vector<std::unique_ptr<TJob>> jobs_;
  // Guards the jobs' done flags and finished_, which the workers set.
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t finished_ = 0;
  int32_t mostInFlight_ = 0;
  bool recordDirty_ = false;
  std::string recordFailure_;
};

// Whether a page of pageBytes working planes may start beside running
// pages that hold inFlightBytes, under a memory budget (0 or less: no cap).
// A page starts when nothing else runs, however large it is, so that a run
// always moves on.
bool MemoryAdmitsPage(int64_t inFlightBytes, int32_t running, int64_t pageBytes, int64_t budget);

// Rough bytes of working planes for building a page with a scan of
// width x height pixels at the given build quality and size limits.
int64_t PageWorkingBytes(int64_t width, int64_t height, int32_t quality, int32_t minWidth, int32_t minHeight,
                         int32_t maxWidth, int32_t maxHeight);

}  // namespace drovix

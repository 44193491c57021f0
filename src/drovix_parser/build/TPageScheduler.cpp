#include "drovix_parser/build/TPageScheduler.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <new>
#include <thread>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/Interrupt.h"
#include "driver/console/MessageName.h"
#include "driver/console/TConsoleChannel.h"
#include "driver/console/TCoreLease.h"
#include "drovix_graph/raster/PictureSize.h"
#include "drovix_graph/raster/Tga.h"
#include "drovix_graph/scan/Scaling.h"
#include "drovix_parser/build/PageBuilder.h"
#include "drovix_parser/build/TPageRecord.h"
#include "drovix_parser/record/TBuildRecord.h"
#include "drovix_parser/script/ScriptPaths.h"
#include "drovix_parser/script/TDrovixManga.h"
#include "drovix_parser/script/TDrovixMangaPage.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {

struct TPageScheduler::TJob {
  TDrovixMangaPage* page = nullptr;
  std::string section;
  // The files the page writes and whose ages its up-to-date test reads.
  std::vector<std::string> outputs;
  int64_t bytes = 0;
  // The page's section: as stored when the page starts, as built after.
  TBuildRecord record;
  TConsoleChannel console;
  std::exception_ptr failure;
  std::thread thread;
  bool started = false;
  bool done = false;  // guarded by the scheduler's mutex
};

namespace {

// Bytes of working planes per pixel of the working page.
constexpr int64_t kBytesPerWorkingPixel = 28;
// The largest side a scan may have; larger ones are refused when read.
constexpr int64_t kLargestSide = kMaxPictureSide;

// MemAvailable of the system in bytes, or 0 when it cannot be told.
int64_t AvailableMemory() {
  std::ifstream in("/proc/meminfo");
  std::string key;
  int64_t kib = 0;
  std::string unit;
  while (in >> key >> kib >> unit)
    if (key == "MemAvailable:") return kib * 1024;
  return 0;
}

}  // namespace

int64_t PageWorkingBytes(int64_t width, int64_t height, int32_t quality, int32_t minWidth, int32_t minHeight,
                         int32_t maxWidth, int32_t maxHeight) {
  width = std::clamp<int64_t>(width, 0, kLargestSide);
  height = std::clamp<int64_t>(height, 0, kLargestSide);
  if (width == 0 || height == 0) return 0;
  // The scale the page will work at, as the page driver's scaling takes it.
  const long double work =
      EstimatedWorkingScale(width, height, quality, minWidth, minHeight, maxWidth, maxHeight);
  return std::llround(kBytesPerWorkingPixel * work * work * width * height);
}

TPageScheduler::TPageScheduler(TDrovixManga& manga, int32_t parallel) : manga_(manga) {
  workers_ = parallel > 0 ? parallel : ProcessorCount();
  // -j<N> keeps the run to N busy cores, however they are shared between
  // pages and the threads of a page.
  SetCoreCount(workers_);
  memoryCapped_ = parallel <= 0;
  if (memoryCapped_) memoryBudget_ = AvailableMemory();
  if (memoryBudget_ <= 0) memoryCapped_ = false;
}

TPageScheduler::~TPageScheduler() { StopAll(); }

void TPageScheduler::SetMemoryBudgetForTesting(int64_t bytes) {
  memoryBudget_ = bytes;
  memoryCapped_ = bytes > 0;
}

bool MemoryAdmitsPage(int64_t inFlightBytes, int32_t running, int64_t pageBytes, int64_t budget) {
  return budget <= 0 || running == 0 || inFlightBytes + pageBytes <= budget;
}

bool TPageScheduler::CanStart(size_t head, size_t index, int64_t inFlightBytes, int32_t running) const {
  const TJob& job = *jobs_[index];
  // A page that shares its record section or an output file with an earlier
  // page waits until that one is finished: it must see what it left.
  for (size_t i = head; i < index; ++i) {
    const TJob& earlier = *jobs_[i];
    if (earlier.section == job.section) return false;
    for (const std::string& a : earlier.outputs)
      if (std::find(job.outputs.begin(), job.outputs.end(), a) != job.outputs.end()) return false;
  }
  return !memoryCapped_ || MemoryAdmitsPage(inFlightBytes, running, job.bytes, memoryBudget_);
}

void TPageScheduler::Work(TJob& job) {
  {
    // The page's own core: what the pages in flight leave free, the
    // page's slow steps may borrow.
    const TCoreLease core(1);
    const TConsoleRoute route(&job.console);
    try {
      ConsoleWriteLine(Ru("\n\rСТРАНИЦА: ") + MessageName(ExtractFileNamePart(job.page->BasePath)));
      BuildPage(manga_, *job.page, job.record);
    } catch (...) {
      job.failure = std::current_exception();
    }
    FreeQuietly(job.page->Scan);  // the planes go now, not when the page's turn comes
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  job.done = true;
  ++finished_;
  changed_.notify_all();
}

void TPageScheduler::Start(size_t index) {
  TJob& job = *jobs_[index];
  job.record.CopySection(*manga_.BuildRecord, job.section);
  job.started = true;
  job.thread = std::thread([this, &job] { Work(job); });
}

void TPageScheduler::SaveRecordIfChanged() {
  if (!recordDirty_) return;
  try {
    manga_.SaveBuildRecord();
    recordDirty_ = false;
    recordFailure_.clear();
  } catch (const std::exception& e) {
    // Tried again after the next page; reported once, at the end.
    recordFailure_ = e.what();
  }
}

bool TPageScheduler::Finish(size_t index) {
  TJob& job = *jobs_[index];
  if (job.thread.joinable()) job.thread.join();
  if (job.failure) return false;
  if (manga_.BuildRecord->CopySection(job.record, job.section)) recordDirty_ = true;
  SaveRecordIfChanged();
  FreeQuietly(manga_.Pages[index]);
  job.page = nullptr;
  return true;
}

void TPageScheduler::StopAll() {
  for (auto& job : jobs_)
    if (job) job->console.Cancel();
  for (auto& job : jobs_)
    if (job && job->thread.joinable()) job->thread.join();
}

void TPageScheduler::Run() {
  const size_t n = manga_.Pages.size();
  jobs_.clear();
  for (auto& page : manga_.Pages) {
    auto job = std::make_unique<TJob>();
    job->page = page.get();
    job->section = page->BasePath;
    job->outputs = TPageRecord(manga_, *page).OutputFiles();
    if (memoryCapped_) {
      const TPictureSize size = PictureFileSize(page->BasePath);
      job->bytes = PageWorkingBytes(size.Width, size.Height, manga_.Quality, page->MinWidth, page->MinHeight,
                                    page->MaxWidth, page->MaxHeight);
    }
    jobs_.push_back(std::move(job));
  }

  size_t head = 0, next = 0;
  uint64_t seen = 0;
  mostInFlight_ = 0;
  while (head < n) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      int64_t inFlight = 0;
      int32_t running = 0;
      for (size_t i = head; i < next; ++i)
        if (!jobs_[i]->done) {
          inFlight += jobs_[i]->bytes;
          ++running;
        }
      while (next < n && running < workers_ && !InterruptSignal() &&
             CanStart(head, next, inFlight, running)) {
        Start(next);
        if (next == head) jobs_[head]->console.GoLive();
        inFlight += jobs_[next]->bytes;
        ++running;
        ++next;
        mostInFlight_ = std::max(mostInFlight_, running);
      }
      if (head == next) break;  // stopped before the next page began
      // Until the first page is done, or another one makes room for more.
      // The stop signal cannot wake the wait, so it looks now and then.
      changed_.wait_for(lock, std::chrono::milliseconds(50),
                        [&] { return jobs_[head]->done || finished_ != seen; });
      seen = finished_;
      if (!jobs_[head]->done) continue;
    }
    if (!Finish(head)) {
      const std::exception_ptr failure = jobs_[head]->failure;
      StopAll();
      if (recordDirty_) SaveRecordIfChanged();
      bool interrupted = false;
      std::string combined;
      try {
        std::rethrow_exception(failure);
      } catch (const EInterrupted&) {
        interrupted = true;
      } catch (const std::bad_alloc&) {
      } catch (const std::exception& e) {
        // A record that could not be written is reported under the page's
        // failure: the pages before this one will be built again.
        if (!recordFailure_.empty()) combined = std::string(e.what()) + "\n\r\n\r" + recordFailure_;
      } catch (...) {
      }
      // The record of the pages before is kept; nothing may be added to it.
      if (!interrupted) FreeQuietly(manga_.BuildRecord);
      if (!combined.empty()) throw EDrovixError(combined);
      std::rethrow_exception(failure);
    }
    ++head;
    if (head < next) jobs_[head]->console.GoLive();
  }
  if (head < n) {
    StopAll();
    SaveRecordIfChanged();
    throw EInterrupted(InterruptSignal());
  }
  manga_.SaveBuildRecord();
}

}  // namespace drovix

#include "driver/console/TConsoleChannel.h"

#include <cstdio>

#include "driver/console/Console.h"

namespace drovix {
namespace {

thread_local TConsoleChannel* t_channel = nullptr;

}  // namespace

void TConsoleChannel::Show(const Segment& segment) {
  if (!segment.onceId.empty() && !ClaimConsoleNotice(segment.onceId)) return;
  std::fwrite(segment.text.data(), 1, segment.text.size(), stdout);
  std::fflush(stdout);
}

void TConsoleChannel::Write(std::string_view bytes) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (cancelled_) return;
  if (live_)
    Show(Segment{std::string(bytes), std::string()});
  else
    held_.push_back(Segment{std::string(bytes), std::string()});
}

void TConsoleChannel::WriteOnce(const std::string& id, std::string_view bytes) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (cancelled_) return;
  if (live_)
    Show(Segment{std::string(bytes), id});
  else
    held_.push_back(Segment{std::string(bytes), id});
}

void TConsoleChannel::GoLive() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_ || live_) return;
    for (const Segment& s : held_) Show(s);
    held_.clear();
    live_ = true;
  }
  turn_.notify_all();
}

void TConsoleChannel::Cancel() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    held_.clear();
  }
  turn_.notify_all();
}

bool TConsoleChannel::Cancelled() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_;
}

bool TConsoleChannel::AwaitLive() {
  std::unique_lock<std::mutex> lock(mutex_);
  turn_.wait(lock, [this] { return live_ || cancelled_; });
  return live_ && !cancelled_;
}

TConsoleRoute::TConsoleRoute(TConsoleChannel* channel) : previous_(t_channel) { t_channel = channel; }
TConsoleRoute::~TConsoleRoute() { t_channel = previous_; }

TConsoleChannel* CurrentConsoleChannel() { return t_channel; }

}  // namespace drovix

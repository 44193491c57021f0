// The console output of one page while pages are built side by side. Its
// text is held until the page's turn comes in script order; from then on it
// is written straight through, so the console reads as if the pages had been
// built one after another.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace drovix {

class TConsoleChannel {
 public:
  TConsoleChannel() = default;
  TConsoleChannel(const TConsoleChannel&) = delete;
  TConsoleChannel& operator=(const TConsoleChannel&) = delete;

  // Bytes as they go to standard output (already transliterated).
  void Write(std::string_view bytes);
  // A notice the console shows once per run (see ConsoleWriteOnce): decided
  // when the channel's text reaches the console, not when it is written.
  void WriteOnce(const std::string& id, std::string_view bytes);

  // Prints everything held, in order, and passes later writes straight
  // through; wakes AwaitLive. REQUIRES: no other channel is live.
  void GoLive();
  // Drops what is held and every later write; AwaitLive returns false.
  void Cancel();
  bool Cancelled() const;
  // Blocks until GoLive (true) or Cancel (false).
  bool AwaitLive();

 private:
  struct Segment {
    std::string text;
    std::string onceId;  // empty for plain text
  };
  static void Show(const Segment& segment);

  mutable std::mutex mutex_;
  std::condition_variable turn_;
  std::vector<Segment> held_;
  bool live_ = false;
  bool cancelled_ = false;
};

// While it lives, the calling thread's console writes go into channel.
class TConsoleRoute {
 public:
  explicit TConsoleRoute(TConsoleChannel* channel);
  ~TConsoleRoute();
  TConsoleRoute(const TConsoleRoute&) = delete;
  TConsoleRoute& operator=(const TConsoleRoute&) = delete;

 private:
  TConsoleChannel* previous_;
};

// The calling thread's channel, or nullptr when it writes to the console.
TConsoleChannel* CurrentConsoleChannel();

}  // namespace drovix

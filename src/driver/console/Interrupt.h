// Ctrl-C (SIGINT) and SIGTERM during a run: the signal only raises a flag;
// the build notices it at its next step boundary, stops there, keeps what
// is finished and removes what is half-written.
#pragma once

#include <exception>

namespace drovix {

// Raised at a step boundary once a stop signal has arrived. Not a failure:
// the page driver lets it pass unwrapped and the driver ends the process
// with status 128 + Signal().
class EInterrupted : public std::exception {
 public:
  explicit EInterrupted(int signal) : signal_(signal) {}
  int Signal() const { return signal_; }
  const char* what() const noexcept override { return "interrupted"; }

 private:
  int signal_;
};

// Catches SIGINT and SIGTERM while it lives and restores the previous
// handling afterwards. A second signal of the same kind ends the process at
// once, the way it would without the guard.
class TInterruptGuard {
 public:
  TInterruptGuard();
  ~TInterruptGuard();
  TInterruptGuard(const TInterruptGuard&) = delete;
  TInterruptGuard& operator=(const TInterruptGuard&) = delete;
};

// The stop signal received (SIGINT or SIGTERM), or 0.
int InterruptSignal();
// For tests: forget a received signal.
void ClearInterruptForTesting();

// A step boundary: raises EInterrupted after a stop signal, and
// EDrovixError when the calling thread's page output has been dropped (an
// earlier page failed), so that such a page stops early.
void CheckForStop();

}  // namespace drovix

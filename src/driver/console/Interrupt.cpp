#include "driver/console/Interrupt.h"

#include <signal.h>

#include <atomic>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/TConsoleChannel.h"

namespace drovix {
namespace {

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler stores into it");

struct sigaction g_previousInt;
struct sigaction g_previousTerm;

extern "C" void OnStopSignal(int signal) {
  int none = 0;
  g_signal.compare_exchange_strong(none, signal);
}

}  // namespace

TInterruptGuard::TInterruptGuard() {
  struct sigaction action {};
  action.sa_handler = &OnStopSignal;
  sigemptyset(&action.sa_mask);
  // SA_RESTART: a write in progress goes on instead of failing with EINTR.
  // SA_RESETHAND: the second Ctrl-C kills, for a user who will not wait.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  ::sigaction(SIGINT, &action, &g_previousInt);
  ::sigaction(SIGTERM, &action, &g_previousTerm);
}

TInterruptGuard::~TInterruptGuard() {
  ::sigaction(SIGINT, &g_previousInt, nullptr);
  ::sigaction(SIGTERM, &g_previousTerm, nullptr);
}

int InterruptSignal() { return g_signal.load(); }
void ClearInterruptForTesting() { g_signal.store(0); }

void CheckForStop() {
  if (const int signal = InterruptSignal()) throw EInterrupted(signal);
  const TConsoleChannel* channel = CurrentConsoleChannel();
  if (channel != nullptr && channel->Cancelled()) Raise(Ru("Сборка страницы отменена."));
}

}  // namespace drovix

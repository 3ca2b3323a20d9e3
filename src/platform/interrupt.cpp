#include "platform/interrupt.h"

#include <signal.h>

#include <algorithm>
#include <atomic>

namespace sonacli {

namespace {

constexpr int32_t kSleepSliceMs = 20;

// The first signal that asked the run to stop, or 0. Read by the threads that send requests in
// parallel; lock-free, so the handler may set it.
std::atomic<int> g_interrupted{0};
static_assert(std::atomic<int>::is_always_lock_free);
struct sigaction g_previousInt;
struct sigaction g_previousTerm;
struct sigaction g_previousHup;

extern "C" void OnInterrupt(int signal) {
  int none = 0;
  g_interrupted.compare_exchange_strong(none, signal);
}

}  // namespace

TInterruptGuard::TInterruptGuard() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  // The three signals never interrupt each other's handler.
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaddset(&action.sa_mask, SIGHUP);
  // Interrupted file writes are restarted, so a signal never leaves a piece half-written.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &g_previousInt);
  sigaction(SIGTERM, &action, &g_previousTerm);
  sigaction(SIGHUP, &action, &g_previousHup);
}

TInterruptGuard::~TInterruptGuard() {
  sigaction(SIGINT, &g_previousInt, nullptr);
  sigaction(SIGTERM, &g_previousTerm, nullptr);
  sigaction(SIGHUP, &g_previousHup, nullptr);
}

bool InterruptRequested() {
  return g_interrupted != 0;
}

int InterruptExitCode() {
  return g_interrupted == SIGINT ? kInterruptedExitCode : kTerminatedExitCode;
}

void ClearInterrupt() {
  g_interrupted = 0;
}

void TInterruptibleClock::SleepMs(int32_t ms) {
  while (true) {
    if (InterruptRequested()) throw TInterrupted();
    if (ms <= 0) return;
    const int32_t slice = std::min(ms, kSleepSliceMs);
    inner_.SleepMs(slice);
    ms -= slice;
  }
}

bool TInterruptibleClock::SleepMsUnless(int32_t ms, std::unique_lock<std::mutex>& lock,
                                        std::condition_variable& wake, const std::function<bool()>& stop) {
  while (true) {
    if (InterruptRequested()) throw TInterrupted();
    if (ms <= 0) return true;
    const int32_t slice = std::min(ms, kSleepSliceMs);
    if (!inner_.SleepMsUnless(slice, lock, wake, stop)) return false;
    ms -= slice;
  }
}

}  // namespace sonacli

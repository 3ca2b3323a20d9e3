#include "platform/interrupt.h"

#include <signal.h>

#include <algorithm>

namespace sonacli {

namespace {

constexpr int32_t kSleepSliceMs = 20;

volatile sig_atomic_t g_interrupted = 0;
struct sigaction g_previousInt;
struct sigaction g_previousTerm;

extern "C" void OnInterrupt(int) {
  g_interrupted = 1;
}

}  // namespace

TInterruptGuard::TInterruptGuard() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // Interrupted file writes are restarted, so a signal never leaves a piece half-written.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &g_previousInt);
  sigaction(SIGTERM, &action, &g_previousTerm);
}

TInterruptGuard::~TInterruptGuard() {
  sigaction(SIGINT, &g_previousInt, nullptr);
  sigaction(SIGTERM, &g_previousTerm, nullptr);
}

bool InterruptRequested() {
  return g_interrupted != 0;
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

}  // namespace sonacli

// Interruption of a run by SIGINT or SIGTERM: the handlers only record the request; the driver
// notices it at its next step or wait, completes the audio made so far, and the program exits
// with code 130.
#pragma once

#include <stdexcept>

#include "platform/tick_clock.h"

namespace sonacli {

// Exit code of a run ended by SIGINT or SIGTERM (128 + SIGINT, as shells report it).
inline constexpr int kInterruptedExitCode = 130;

// While an object lives, SIGINT and SIGTERM set the interrupt flag instead of ending the process;
// the previous handlers come back when it dies. The flag stays set after that.
class TInterruptGuard {
 public:
  TInterruptGuard();
  ~TInterruptGuard();
  TInterruptGuard(const TInterruptGuard&) = delete;
  TInterruptGuard& operator=(const TInterruptGuard&) = delete;
};

// True once SIGINT or SIGTERM arrived under an TInterruptGuard.
bool InterruptRequested();
// Forgets an earlier interruption (tests that run several drivers in one process).
void ClearInterrupt();

// Raised by TInterruptibleClock when a wait is cut short by an interruption.
class TInterrupted : public std::runtime_error {
 public:
  TInterrupted() : std::runtime_error("interrupted") {}
};

// A clock whose sleeps end early, with TInterrupted, once an interruption was requested; so a
// run never sits out a pacing or retry wait after Ctrl+C.
class TInterruptibleClock final : public TTickClock {
 public:
  explicit TInterruptibleClock(TTickClock& inner) : inner_(inner) {}

  int64_t TickCountMs() override { return inner_.TickCountMs(); }
  // Sleeps in slices of at most 20 ms on the inner clock, testing the flag before each.
  void SleepMs(int32_t ms) override;

 private:
  TTickClock& inner_;
};

}  // namespace sonacli

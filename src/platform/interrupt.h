// Interruption of a run by SIGINT, SIGTERM or SIGHUP (a closed terminal): the handlers only record
// the request; the driver notices it at its next step or wait, completes the audio made so far,
// and the program exits with the code a shell expects of the signal (InterruptExitCode).
#pragma once

#include <stdexcept>

#include "platform/tick_clock.h"

namespace sonacli {

// Exit codes of an interrupted run: 128 + SIGINT for Ctrl-C, 128 + SIGTERM for SIGTERM and for
// SIGHUP, which ends the run the same way.
inline constexpr int kInterruptedExitCode = 130;
inline constexpr int kTerminatedExitCode = 143;

// While an object lives, SIGINT, SIGTERM and SIGHUP set the interrupt flag instead of ending the
// process; the previous handlers come back when it dies. The flag stays set after that.
class TInterruptGuard {
 public:
  TInterruptGuard();
  ~TInterruptGuard();
  TInterruptGuard(const TInterruptGuard&) = delete;
  TInterruptGuard& operator=(const TInterruptGuard&) = delete;
};

// True once SIGINT, SIGTERM or SIGHUP arrived under a TInterruptGuard.
bool InterruptRequested();
// The exit code for the first of those signals: kInterruptedExitCode for SIGINT, else
// kTerminatedExitCode. Only meaningful once InterruptRequested().
int InterruptExitCode();
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
  // Sleep in slices of at most 20 ms on the inner clock, testing the flag before each: a signal
  // handler can only set the flag, not wake a waiting thread.
  void SleepMs(int32_t ms) override;
  bool SleepMsUnless(int32_t ms, std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                     const std::function<bool()>& stop) override;

 private:
  TTickClock& inner_;
};

}  // namespace sonacli

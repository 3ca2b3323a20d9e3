#include "platform/interrupt.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <vector>

#include "testing/fake_clock.h"

namespace sonacli {
namespace {

TEST(Interrupt, SignalsAreRecordedWhileTheGuardLivesAndHandlersComeBack) {
  ClearInterrupt();
  struct sigaction before {};
  sigaction(SIGTERM, nullptr, &before);
  {
    TInterruptGuard guard;
    EXPECT_FALSE(InterruptRequested());
    raise(SIGINT);
    EXPECT_TRUE(InterruptRequested());
    EXPECT_EQ(InterruptExitCode(), 130);
    // The first signal decides the exit code.
    raise(SIGTERM);
    EXPECT_EQ(InterruptExitCode(), 130);
    for (const int signal : {SIGTERM, SIGHUP}) {
      ClearInterrupt();
      raise(signal);
      EXPECT_TRUE(InterruptRequested());
      EXPECT_EQ(InterruptExitCode(), 143);
    }
  }
  struct sigaction after {};
  sigaction(SIGTERM, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
  EXPECT_TRUE(InterruptRequested());  // the run still has to learn of it
  ClearInterrupt();
}

TEST(Interrupt, ClockSleepsInSlicesAndStopsOnceInterrupted) {
  ClearInterrupt();
  TFakeClock inner(0);
  TInterruptibleClock clock(inner);
  clock.SleepMs(55);
  EXPECT_EQ(inner.SleepLengths(), (std::vector<int32_t>{20, 20, 15}));
  EXPECT_EQ(clock.TickCountMs(), 55);
  // The wait that a stop ends early is sliced the same way.
  std::mutex mutex;
  std::condition_variable wake;
  std::unique_lock lock(mutex);
  EXPECT_TRUE(clock.SleepMsUnless(45, lock, wake, [] { return false; }));
  EXPECT_FALSE(clock.SleepMsUnless(45, lock, wake, [] { return true; }));
  EXPECT_EQ(inner.SleepLengths(), (std::vector<int32_t>{20, 20, 15, 20, 20, 5}));
  {
    TInterruptGuard guard;
    raise(SIGINT);
    EXPECT_THROW(clock.SleepMs(100), TInterrupted);
    EXPECT_THROW(clock.SleepMsUnless(100, lock, wake, [] { return false; }), TInterrupted);
  }
  EXPECT_EQ(inner.SleepLengths().size(), 6u);
  ClearInterrupt();
}

}  // namespace
}  // namespace sonacli

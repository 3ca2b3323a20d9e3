// The clock and the sleeps of the retry rule and of the pacing, behind an interface so that they
// can run on a clock that only moves when it is slept on.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace sonacli {

class TTickClock {
 public:
  virtual ~TTickClock() = default;
  // Milliseconds of a steady clock.
  virtual int64_t TickCountMs() = 0;
  virtual void SleepMs(int32_t ms) = 0;
  // Sleeps `ms` as a wait on `wake` that ends early once `stop()` is true; whoever changes what
  // `stop` reads notifies `wake` under the mutex that `lock` holds. `lock` is held on return. False
  // when the sleep was cut short.
  virtual bool SleepMsUnless(int32_t ms, std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                             const std::function<bool()>& stop) = 0;
};

// The platform's clock and sleeps.
TTickClock& SystemTickClock();

}  // namespace sonacli

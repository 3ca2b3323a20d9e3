// The clock and the sleeps of the retry rule, behind an interface so that the rule can be run on a
// clock that only moves when it is slept on.
#pragma once

#include <cstdint>

namespace sonacli {

class TTickClock {
 public:
  virtual ~TTickClock() = default;
  // Milliseconds of a steady clock.
  virtual int64_t TickCountMs() = 0;
  virtual void SleepMs(int32_t ms) = 0;
};

// The platform's clock and sleeps.
TTickClock& SystemTickClock();

}  // namespace sonacli

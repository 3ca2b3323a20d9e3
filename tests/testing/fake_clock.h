// A clock for tests: it moves only when it is slept on, and remembers every sleep.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/tick_clock.h"

namespace sonacli {

class TFakeClock final : public TTickClock {
 public:
  // The default start lies near the 32-bit wrap, which the signed differences must survive.
  explicit TFakeClock(int64_t startMs = 4'294'960'000) : now_(startMs) {}

  int64_t TickCountMs() override { return now_; }
  void SleepMs(int32_t ms) override {
    now_ += ms;
    sleeps_.push_back(ms);
  }
  int Sleeps() const { return static_cast<int>(sleeps_.size()); }
  const std::vector<int32_t>& SleepLengths() const { return sleeps_; }

 private:
  int64_t now_;
  std::vector<int32_t> sleeps_;
};

}  // namespace sonacli

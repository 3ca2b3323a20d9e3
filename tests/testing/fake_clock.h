// A clock for tests: it moves only when it is slept on, and remembers every sleep. Safe to use from
// several threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/tick_clock.h"

namespace sonacli {

class TFakeClock final : public TTickClock {
 public:
  // The default start lies near the 32-bit wrap, which the signed differences must survive.
  explicit TFakeClock(int64_t startMs = 4'294'960'000) : now_(startMs) {}

  int64_t TickCountMs() override { return now_; }
  void SleepMs(int32_t ms) override {
    std::lock_guard lock(mutex_);
    now_ += ms;
    sleeps_.push_back(ms);
  }
  bool SleepMsUnless(int32_t ms, std::unique_lock<std::mutex>&, std::condition_variable&,
                     const std::function<bool()>& stop) override {
    if (stop()) return false;
    SleepMs(ms);
    return true;
  }
  int Sleeps() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(sleeps_.size());
  }
  std::vector<int32_t> SleepLengths() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
  }

 private:
  std::atomic<int64_t> now_;
  mutable std::mutex mutex_;
  std::vector<int32_t> sleeps_;
};

}  // namespace sonacli

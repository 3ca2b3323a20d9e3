#include "platform/tick_clock.h"

#include <chrono>

#include "platform/clock.h"

namespace sonacli {
namespace {

class TSystemTickClock final : public TTickClock {
 public:
  int64_t TickCountMs() override { return sonacli::TickCountMs(); }
  void SleepMs(int32_t ms) override { sonacli::SleepMs(ms); }
  bool SleepMsUnless(int32_t ms, std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                     const std::function<bool()>& stop) override {
    return !wake.wait_for(lock, std::chrono::milliseconds(ms), stop);
  }
};

}  // namespace

TTickClock& SystemTickClock() {
  static TSystemTickClock clock;
  return clock;
}

}  // namespace sonacli

#include "platform/tick_clock.h"

#include "platform/clock.h"

namespace sonacli {
namespace {

class TSystemTickClock final : public TTickClock {
 public:
  int64_t TickCountMs() override { return sonacli::TickCountMs(); }
  void SleepMs(int32_t ms) override { sonacli::SleepMs(ms); }
};

}  // namespace

TTickClock& SystemTickClock() {
  static TSystemTickClock clock;
  return clock;
}

}  // namespace sonacli

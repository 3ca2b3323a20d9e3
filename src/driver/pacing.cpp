#include "driver/pacing.h"

#include "platform/random.h"

namespace sonacli {

namespace {
// A uniform wait from base to base + spread - 1.
int32_t Jittered(int32_t base, int32_t spread) {
  return base + RandomInt(spread);
}
}  // namespace

int32_t BetweenPiecesWaitMs() {
  return Jittered(110, 70);
}

int32_t AfterRequestWaitMs(bool isLast, bool legacyKey, int32_t requestDelayMs) {
  if (!legacyKey) return Jittered(requestDelayMs > 0 ? requestDelayMs + 5 : 5, 5);
  if (isLast || requestDelayMs <= 0) return Jittered(110, 70);
  return Jittered(requestDelayMs + 50, 70);
}

}  // namespace sonacli

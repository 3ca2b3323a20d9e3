#include "driver/pacing.h"

namespace sonacli {

namespace {
// A uniform wait from base to base + spread - 1.
int32_t Jittered(TRandom& random, int32_t base, int32_t spread) {
  return base + random.Int(spread);
}
}  // namespace

int32_t BetweenPiecesWaitMs(TRandom& random) {
  return Jittered(random, 110, 70);
}

int32_t AfterRequestWaitMs(TRandom& random, bool isLast, bool legacyKey, int32_t requestDelayMs) {
  if (!legacyKey) return Jittered(random, requestDelayMs > 0 ? requestDelayMs + 5 : 5, 5);
  if (isLast || requestDelayMs <= 0) return Jittered(random, 110, 70);
  return Jittered(random, requestDelayMs + 50, 70);
}

}  // namespace sonacli

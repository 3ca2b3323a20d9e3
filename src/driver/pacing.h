// The waits that pace requests to the speech service: a randomised wait before every piece and a
// short one after every successful request. Lengths in ms.
#pragma once

#include <cstdint>

#include "platform/random.h"
#include "platform/tick_clock.h"

namespace sonacli {

// 110 + random(70): before every non-empty piece.
int32_t BetweenPiecesWaitMs(TRandom& random);
// After a successful request (and after the probe, which is never the last):
// cloud key: d + 5 + random(5) when d > 0, else 5 + random(5);
// legacy key, last piece: 110 + random(70);
// legacy key, other pieces: d + 50 + random(70) when d > 0, else 110 + random(70).
int32_t AfterRequestWaitMs(TRandom& random, bool isLast, bool legacyKey, int32_t requestDelayMs);

// The waits of one driver run: drawn when the requests are planned, slept by whoever sends them;
// the probe's, on the given clock.
class TPacer {
 public:
  TPacer(TTickClock& clock, TRandom& random, bool legacyKey, int32_t requestDelayMs)
      : clock_(clock), random_(random), legacyKey_(legacyKey), requestDelayMs_(requestDelayMs) {}

  int32_t BetweenPiecesMs() { return BetweenPiecesWaitMs(random_); }
  int32_t AfterRequestMs(bool isLast) {
    return AfterRequestWaitMs(random_, isLast, legacyKey_, requestDelayMs_);
  }
  void PauseAfterRequest(bool isLast) { clock_.SleepMs(AfterRequestMs(isLast)); }

 private:
  TTickClock& clock_;
  TRandom& random_;
  bool legacyKey_;
  int32_t requestDelayMs_;
};

}  // namespace sonacli

// The synthesis object of a run: the request to the Yandex SpeechKit service with its retry rule.
// It exists only for the synthesis phase and keeps no state between requests.
#pragma once

#include "platform/tick_clock.h"
#include "service/synthesis_service.h"
#include "settings/settings.h"

namespace sonacli {

class TYandexTTSObject final : public TSynthesisService {
 public:
  // Reads the proxy, the retry rule and the output format from `settings`, which must outlive the
  // object; waits are slept on `clock`.
  TYandexTTSObject(const TSettings& settings, TTickClock& clock) : settings_(settings), clock_(clock) {}

  // One piece with the retry rule of RetrySettings: a failed attempt that the service did not
  // refuse is repeated every IntervalMs (waiting in 50 ms steps) until one succeeds or WindowMs
  // has passed since the first failure. On false, `request.ErrorText` holds the first attempt's
  // message; on true, `request.AudioOut` holds the decoded WAV (empty for an empty answer).
  bool Synthesize(TSynthesisRequest& request) override;

 private:
  const TSettings& settings_;
  TTickClock& clock_;
};

}  // namespace sonacli

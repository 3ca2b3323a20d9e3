// The synthesis object of a run: the request to the Yandex SpeechKit service with its retry rule.
// It exists only for the synthesis phase; what its requests share is only what spares each request
// work of the HTTP client (certificates read once, TLS sessions), never anything of an answer.
#pragma once

#include "http/http_share.h"
#include "platform/tick_clock.h"
#include "service/service_settings.h"
#include "service/synthesis_service.h"

namespace sonacli {

class TYandexTTSObject final : public TSynthesisService {
 public:
  // Where the service is, the proxy, the time-out, the certificates trusted and the retry rule
  // come from `service`; waits are slept on `clock`. Synthesize may run on several threads at once
  // when the clock's sleeps may.
  TYandexTTSObject(TServiceSettings service, TTickClock& clock)
      : service_(std::move(service)), clock_(clock) {}

  // One piece with the retry rule of RetrySettings: a failed attempt that the service did not
  // refuse is repeated every IntervalMs (waiting in 50 ms steps) until one succeeds or WindowMs
  // has passed since the first failure, or a stop is requested. After a 429 or 503 with
  // Retry-After the next attempt waits as long as the service asked (never less than IntervalMs,
  // at most 60 s), and the wait counts in the window: once that has passed, no attempt follows. A
  // failure carries the first attempt's message.
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                              std::stop_token stop = {}) override;

 private:
  // The usual interval before the next attempt; false when the window closed or a stop was
  // requested meanwhile.
  bool WaitInterval(const std::stop_token& stop, int64_t windowStart);
  // The wait the service asked for; false when the window had closed before it or a stop was
  // requested meanwhile.
  bool WaitAsAsked(const std::stop_token& stop, int64_t windowStart, int64_t retryAfterSeconds);

  const TServiceSettings service_;
  TTickClock& clock_;
  THttpShare share_;  // the trusted certificates, TLS sessions and DNS answers of the run's requests
};

}  // namespace sonacli

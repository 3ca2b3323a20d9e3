#include "service/yandex_tts_object.h"

#include "service/synthesis_attempt.h"

namespace sonacli {
namespace {

constexpr int32_t kRetryStepMs = 50;

// Tick differences are signed 32-bit values.
int32_t Elapsed(int64_t from, int64_t to) {
  return static_cast<int32_t>(to - from);
}

}  // namespace

TSynthesisAnswer TYandexTTSObject::Synthesize(const TSynthesisRequest& request) {
  const TRetrySettings& retry = settings_.RetrySettings;
  TSynthesisAnswer first = SendSynthesisRequest(request, settings_, &share_);
  if (first.Outcome != TSynthesisOutcome::Failed || !retry.Enabled) return first;
  const int64_t windowStart = clock_.TickCountMs();
  while (true) {
    const int64_t intervalStart = clock_.TickCountMs();
    int64_t now;
    do {
      clock_.SleepMs(kRetryStepMs);
      now = clock_.TickCountMs();
      if (Elapsed(windowStart, now) > retry.WindowMs) return first;
      if (request.Abandoned != nullptr && *request.Abandoned) return first;
    } while (Elapsed(intervalStart, now) <= retry.IntervalMs);
    TSynthesisAnswer later = SendSynthesisRequest(request, settings_, &share_);
    if (later.Spoken()) return later;
    if (later.Outcome == TSynthesisOutcome::Rejected) {
      // Only the first attempt's message is reported.
      later.ErrorText = std::move(first.ErrorText);
      return later;
    }
  }
}

}  // namespace sonacli

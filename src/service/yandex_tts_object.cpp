#include "service/yandex_tts_object.h"

#include <algorithm>

#include "service/synthesis_attempt.h"

namespace sonacli {
namespace {

constexpr int32_t kRetryStepMs = 50;
// The longest wait a service's Retry-After gets: a piece is not held for longer than this.
constexpr int64_t kLongestRetryAfterS = 60;

// Tick differences are signed 32-bit values.
int32_t Elapsed(int64_t from, int64_t to) {
  return static_cast<int32_t>(to - from);
}

}  // namespace

bool TYandexTTSObject::WaitInterval(const std::stop_token& stop, int64_t windowStart) {
  const TRetrySettings& retry = service_.Retry;
  const int64_t intervalStart = clock_.TickCountMs();
  int64_t now;
  do {
    clock_.SleepMs(kRetryStepMs);
    now = clock_.TickCountMs();
    if (Elapsed(windowStart, now) > retry.WindowMs || stop.stop_requested()) return false;
  } while (Elapsed(intervalStart, now) <= retry.IntervalMs);
  return true;
}

bool TYandexTTSObject::WaitAsAsked(const std::stop_token& stop, int64_t windowStart,
                                   int64_t retryAfterSeconds) {
  const TRetrySettings& retry = service_.Retry;
  const int64_t waitStart = clock_.TickCountMs();
  // The waits count in the window: after a long one, no burst of retries follows.
  if (Elapsed(windowStart, waitStart) > retry.WindowMs) return false;
  // Never sooner than the usual interval, and not past the longest wait.
  const int64_t waitMs =
      std::max<int64_t>(std::min(retryAfterSeconds, kLongestRetryAfterS) * 1000, retry.IntervalMs);
  do {
    clock_.SleepMs(kRetryStepMs);
    if (stop.stop_requested()) return false;
  } while (Elapsed(waitStart, clock_.TickCountMs()) <= waitMs);
  return true;
}

TSynthesisAnswer TYandexTTSObject::Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                                              std::stop_token stop) {
  const TRetrySettings& retry = service_.Retry;
  TSynthesisAnswer first = SendSynthesisRequest(request, use, stop, service_, &share_);
  if (first.Outcome != TSynthesisOutcome::Failed || !retry.Enabled) return first;
  const int64_t windowStart = clock_.TickCountMs();
  int64_t retryAfterSeconds = first.RetryAfterSeconds;
  while (true) {
    const bool due = retryAfterSeconds > 0 ? WaitAsAsked(stop, windowStart, retryAfterSeconds)
                                           : WaitInterval(stop, windowStart);
    if (!due) return first;
    TSynthesisAnswer later = SendSynthesisRequest(request, use, stop, service_, &share_);
    if (later.Spoken()) return later;
    if (later.Outcome == TSynthesisOutcome::Rejected) {
      // Only the first attempt's message is reported.
      later.ErrorText = std::move(first.ErrorText);
      return later;
    }
    retryAfterSeconds = later.RetryAfterSeconds;
  }
}

}  // namespace sonacli

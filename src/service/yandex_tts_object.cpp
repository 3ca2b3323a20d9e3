#include "service/yandex_tts_object.h"

#include <string>

#include "service/synthesis_attempt.h"

namespace sonacli {
namespace {

constexpr int32_t kRetryStepMs = 50;

// Tick differences are signed 32-bit values.
int32_t Elapsed(int64_t from, int64_t to) {
  return static_cast<int32_t>(to - from);
}

}  // namespace

bool TYandexTTSObject::Synthesize(TSynthesisRequest& request) {
  request.Rejected = false;
  const TRetrySettings& retry = settings_.RetrySettings;
  bool ok = SendSynthesisRequest(request, request.ErrorText, settings_, cache_, &share_);
  if (ok || request.Rejected || !retry.Enabled) return ok;
  const int64_t windowStart = clock_.TickCountMs();
  while (!ok) {
    const int64_t intervalStart = clock_.TickCountMs();
    int64_t now;
    do {
      clock_.SleepMs(kRetryStepMs);
      now = clock_.TickCountMs();
      if (Elapsed(windowStart, now) > retry.WindowMs) return false;
      if (request.Abandoned != nullptr && *request.Abandoned) return false;
    } while (Elapsed(intervalStart, now) <= retry.IntervalMs);
    std::u16string laterMessage;  // only the first attempt's message is reported
    ok = SendSynthesisRequest(request, laterMessage, settings_, cache_, &share_);
    if (request.Rejected) return ok;
  }
  return true;
}

}  // namespace sonacli

namespace sonacli {

bool TYandexTTSObject::HasCachedAnswer(const TSynthesisRequest& request) {
  return cache_ != nullptr && cache_->Contains(AnswerKeyOf(request));
}

}  // namespace sonacli

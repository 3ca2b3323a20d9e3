// What the speech service made of one request.
#pragma once

#include <cstdint>
#include <string>

namespace sonacli {

enum class TSynthesisOutcome {
  Spoken,    // the request was answered with audio
  Failed,    // it failed in a way that a later attempt may not (network, status, an empty answer)
  Rejected,  // refused (400, 401, 403, 419), no interface serves it, or too large an answer: no retry
};

struct TSynthesisAnswer {
  TSynthesisOutcome Outcome = TSynthesisOutcome::Failed;
  // Spoken: the Ogg Opus bytes as the service sent them (for v3, joined from its chunks) or as the
  // cache kept them, never empty, and taken by the caller's use (see TAnswerUse). Empty on failure.
  std::string Received;
  std::u16string ErrorText;  // why it failed; empty when spoken
  bool FromCache = false;    // taken from the answer cache: no request was sent
  // The wait that the service asked for before the next attempt (a 429 or 503 with Retry-After),
  // in seconds; 0 when it asked for none.
  int64_t RetryAfterSeconds = 0;

  bool Spoken() const { return Outcome == TSynthesisOutcome::Spoken; }
};

}  // namespace sonacli

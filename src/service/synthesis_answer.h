// What the speech service made of one request.
#pragma once

#include <string>

namespace sonacli {

enum class TSynthesisOutcome {
  Spoken,    // the request was answered; the audio may be empty (an empty answer)
  Failed,    // it failed in a way that a later attempt may not (network, status, answer)
  Rejected,  // refused (400, 401, 403, 419), no interface serves it, or too large an answer: no retry
};

struct TSynthesisAnswer {
  TSynthesisOutcome Outcome = TSynthesisOutcome::Failed;
  std::string Audio;         // the decoded WAV; empty for an empty answer and on failure
  std::u16string ErrorText;  // why it failed; empty when spoken
  bool FromCache = false;    // taken from the answer cache: no request was sent
  // The Ogg Opus bytes as the service sent them (for v3, joined from its chunks): what the answer
  // cache keeps. Empty for an answer that came from the cache.
  std::string Received;

  bool Spoken() const { return Outcome == TSynthesisOutcome::Spoken; }
};

}  // namespace sonacli

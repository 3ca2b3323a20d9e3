// The narrow interface through which the drivers reach the speech service, so that a driver can run
// against the real service, the stand-in or an in-process fake alike.
#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "service/synthesis_answer.h"
#include "service/synthesis_request.h"

namespace sonacli {

// What the caller makes of the bytes of an answer (its decode step): true when it could use them,
// and then it keeps what it made of them. The service knows nothing of audio beyond this answer:
// bytes that the caller cannot use are a failed attempt, as an answer that is no Ogg Opus audio,
// and a cache entry that it cannot use is damaged. Called on the thread that called the service,
// for every answer that would otherwise count as spoken; what it raises (TAudioError) reaches that
// caller.
using TAnswerUse = std::function<bool(const std::string& received)>;

class TSynthesisService {
 public:
  virtual ~TSynthesisService() = default;

  // One piece, retries included: Spoken once `use` took the bytes of an answer. Safe to call from
  // several threads at once. A stop requested on `stop` ends a transfer and a wait at once, and no
  // attempt follows (the answer is then a failure that nobody uses). Interruption, as the clock
  // reports it, may end a wait early with TInterrupted.
  virtual TSynthesisAnswer Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                                      std::stop_token stop = {}) = 0;

  // Whether a cache holds an entry for the request, found without reading it whole: the entry may
  // still prove damaged (or vanish) when it is used. Without a cache: false.
  virtual bool HasCachedAnswer(const TSynthesisRequest&) const { return false; }

  // The cache's answer for the request, its entry read and checked now and taken by `use`;
  // nullopt when there is no entry that `use` takes (a damaged one is discarded and counted).
  // Nothing is sent. Without a cache: nullopt.
  virtual std::optional<TSynthesisAnswer> CachedAnswer(const TSynthesisRequest&, const TAnswerUse&) {
    return std::nullopt;
  }
};

}  // namespace sonacli

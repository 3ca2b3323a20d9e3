// The narrow interface through which the drivers reach the speech service, so that a driver can run
// against the real service, the stand-in or an in-process fake alike.
#pragma once

#include "service/synthesis_answer.h"
#include "service/synthesis_request.h"

namespace sonacli {

class TSynthesisService {
 public:
  virtual ~TSynthesisService() = default;

  // One piece, retries included. Safe to call from several threads at once. Interruption, as the
  // clock reports it, may end a wait early with TInterrupted.
  virtual TSynthesisAnswer Synthesize(const TSynthesisRequest& request) = 0;

  // True when Synthesize would answer the request from a cache without reaching the service (an
  // entry that turns out unusable is requested after all). Without a cache: false.
  virtual bool HasCachedAnswer(const TSynthesisRequest&) const { return false; }
};

}  // namespace sonacli

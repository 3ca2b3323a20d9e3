// The narrow interface through which the drivers reach the speech service, so that a driver can run
// against the real service, the stand-in or an in-process fake alike.
#pragma once

#include "service/synthesis_request.h"

namespace sonacli {

class TSynthesisService {
 public:
  virtual ~TSynthesisService() = default;

  // One piece, retries included. On true `request.AudioOut` holds the decoded WAV (empty for an
  // empty answer); on false `request.ErrorText` says why. Interruption, as the clock reports it,
  // may end a wait early with TInterrupted.
  virtual bool Synthesize(TSynthesisRequest& request) = 0;
};

}  // namespace sonacli

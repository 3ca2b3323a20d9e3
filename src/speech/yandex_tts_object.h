// The synthesis object of a run: the request with its retry rule, and the two drivers that turn
// the prepared text or the subtitles into one audio output. It exists only for the synthesis phase
// and keeps no state between requests.
#pragma once

#include "speech/synthesis_request.h"
#include "speech/tick_clock.h"

namespace sonacli {

// What a driver run tells its caller.
struct TRunResult {
  bool ErrorReported = false;
};

class TYandexTTSObject {
 public:
  explicit TYandexTTSObject(TTickClock& clock = SystemTickClock()) : clock_(clock) {}

  // One piece with the retry rule of RetrySettings: a failed attempt that the service did not
  // refuse is repeated every IntervalMs (waiting in 50 ms steps) until one succeeds or WindowMs
  // has passed since the first failure. On false, `request.ErrorText` holds the first attempt's
  // message; on true, `request.AudioOut` holds the decoded WAV (empty for an empty answer).
  bool Synthesize(SynthesisRequest& request);

  // The text-mode driver over InputLines.
  void SpeakText(TRunResult& runResult);
  // The subtitle-mode driver over SubtitleList.
  void SpeakSubtitles(TRunResult& runResult);

 private:
  TTickClock& clock_;
};

}  // namespace sonacli

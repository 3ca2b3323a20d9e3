// Speech for the in-process services of the driver tests: an answer's bytes are its PCM, 16-bit in
// the format the run asks for, so that a test knows every sample the driver gets.
#pragma once

#include <string>

#include "audio/opus_decoder.h"
#include "service/synthesis_service.h"

namespace sonacli {

// The decode step that takes an answer's bytes as they are.
inline bool DecodeRawPcm(const std::string& answer, const TSpeechTarget& target, const TVolumeAndChannel&,
                         TDecodedSpeech& speech) {
  speech.Format = {target.SampleRate, target.Stereo ? 2 : 1, 16};
  speech.Pcm = answer;
  return true;
}

// A spoken answer of these bytes, as the service makes it: once its use took them.
inline TSynthesisAnswer SpokenAnswer(std::string pcm, const TAnswerUse& use) {
  TSynthesisAnswer answer;
  answer.Received = std::move(pcm);
  if (use(answer.Received)) answer.Outcome = TSynthesisOutcome::Spoken;
  return answer;
}

}  // namespace sonacli

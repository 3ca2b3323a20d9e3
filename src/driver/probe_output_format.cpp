#include "driver/probe_output_format.h"

#include <optional>

#include "driver/driver_error.h"
#include "driver/piece_request.h"
#include "platform/interrupt.h"

namespace sonacli {

std::u16string ProbeText(TRandom& random) {
  std::u16string text;
  text.push_back(static_cast<char16_t>(u'1' + random.Int(9)));
  text.push_back(static_cast<char16_t>(u'0' + random.Int(10)));
  text.push_back(static_cast<char16_t>(u'0' + random.Int(10)));
  return text;
}

bool ProbeOutputFormat(TDriverContext& context, TPacer& pacer, TOutputData& format) {
  const TSettings& settings = context.Settings;
  TSynthesisRequest request;
  // With a cache the probe is always the same text, so that a repeated run finds its answer.
  request.Text = settings.CacheFolder.empty() ? ProbeText(context.Random) : std::u16string(kCachedProbeText);
  request.Language = settings.LanguageCode;
  request.Voice = settings.VoiceName;
  request.Rate = settings.SpeechRate;
  request.Emotion = u"neutral";
  request.ApiKey = settings.ApiKey;
  // No volume change, both channels.
  std::optional<TAudioFormat> decoded;
  const TAnswerUse use = [&](const std::string& received) {
    TDecodedSpeech speech;
    if (!context.Decode(received, SpeechTargetOf(settings), TVolumeAndChannel(), speech)) return false;
    decoded = speech.Format;
    return true;
  };
  const TSynthesisAnswer answer = context.Service.Synthesize(request, use);
  if (!answer.Spoken()) {
    if (!InterruptRequested()) ReportDriverError(context.Result, answer.ErrorText);
    return false;
  }
  if (!answer.FromCache) pacer.PauseAfterRequest(false);
  if (!decoded) {
    ReportDriverError(context.Result, u"No audio data");
    return false;
  }
  format.SampleRate = decoded->SampleRate;
  format.Channels = decoded->Channels;
  format.BitsPerSample = decoded->BitsPerSample;
  return true;
}

}  // namespace sonacli

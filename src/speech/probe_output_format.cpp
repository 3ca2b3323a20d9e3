#include "speech/probe_output_format.h"

#include "platform/random.h"
#include "settings/online_global.h"
#include "speech/driver_error.h"
#include "speech/interrupt.h"

namespace sonacli {

std::u16string ProbeText() {
  std::u16string text;
  text.push_back(static_cast<char16_t>(u'1' + RandomInt(9)));
  text.push_back(static_cast<char16_t>(u'0' + RandomInt(10)));
  text.push_back(static_cast<char16_t>(u'0' + RandomInt(10)));
  return text;
}

bool ProbeOutputFormat(TYandexTTSObject& service, TPacer& pacer, TOutputData& format, TRunResult& runResult) {
  SynthesisRequest request;
  request.Text = ProbeText();
  request.Language = LanguageCode;
  request.Voice = VoiceName;
  request.Rate = SpeechRate;
  request.Emotion = u"neutral";
  request.ChannelMode = u"MonoToBoth";
  request.VolumeDelta = 0;
  request.ApiKey = ApiKey;
  if (!service.Synthesize(request)) {
    if (!InterruptRequested()) ReportDriverError(runResult, request.ErrorText);
    return false;
  }
  pacer.PauseAfterRequest(false);
  if (!ReadWavFormat(request.AudioOut, format)) {
    ReportDriverError(runResult, u"No audio data");
    return false;
  }
  return true;
}

}  // namespace sonacli

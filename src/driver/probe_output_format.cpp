#include "driver/probe_output_format.h"

#include "driver/driver_error.h"
#include "platform/interrupt.h"
#include "platform/random.h"

namespace sonacli {

std::u16string ProbeText() {
  std::u16string text;
  text.push_back(static_cast<char16_t>(u'1' + RandomInt(9)));
  text.push_back(static_cast<char16_t>(u'0' + RandomInt(10)));
  text.push_back(static_cast<char16_t>(u'0' + RandomInt(10)));
  return text;
}

bool ProbeOutputFormat(TDriverContext& context, TPacer& pacer, TOutputData& format) {
  const TSettings& settings = context.Settings;
  TSynthesisRequest request;
  request.Text = ProbeText();
  request.Language = settings.LanguageCode;
  request.Voice = settings.VoiceName;
  request.Rate = settings.SpeechRate;
  request.Emotion = u"neutral";
  request.ChannelMode = u"MonoToBoth";
  request.VolumeDelta = 0;
  request.ApiKey = settings.ApiKey;
  if (!context.Service.Synthesize(request)) {
    if (!InterruptRequested()) ReportDriverError(context.Result, request.ErrorText);
    return false;
  }
  pacer.PauseAfterRequest(false);
  if (!ReadWavFormat(request.AudioOut, format)) {
    ReportDriverError(context.Result, u"No audio data");
    return false;
  }
  return true;
}

}  // namespace sonacli

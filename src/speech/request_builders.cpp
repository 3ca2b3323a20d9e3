#include "speech/request_builders.h"

#include "catalogue/voice_catalogue.h"
#include "common/unicode_text.h"
#include "speech/request_encoding.h"

namespace sonacli {
namespace {

std::string EncodedText(std::u16string_view text) {
  return UrlEncodeUtf8(ToUtf8(text));
}

std::string SentVoice(const SynthesisRequest& request) {
  return ToUtf8(ServiceVoiceName(request.Voice));
}

std::string SpeedParameter(const SynthesisRequest& request) {
  return SpeedIsSent(request.Rate) ? "&speed=" + ToUtf8(request.Rate) : "";
}

}  // namespace

bool SpeedIsSent(std::u16string_view rate) {
  return !rate.empty() && rate != u"1.0";
}

bool IsSsmlText(std::u16string_view text) {
  constexpr std::u16string_view kOpen = u"<speak>";
  constexpr std::u16string_view kClose = u"</speak>";
  if (text.size() < kOpen.size() || text.size() < kClose.size()) return false;
  return LowerCase(text.substr(0, kOpen.size())) == kOpen &&
         LowerCase(text.substr(text.size() - kClose.size())) == kClose;
}

std::string LegacyQuery(const SynthesisRequest& request) {
  std::string query = "key=" + ToUtf8(request.ApiKey);
  query += "&text=" + EncodedText(request.Text);
  query += "&format=opus&lang=" + ToUtf8(LegacyLanguage(request.Language));
  query += "&speaker=" + SentVoice(request);
  query += "&quality=hi";
  query += SpeedParameter(request);
  if (request.Emotion == u"good" || request.Emotion == u"evil")
    query += "&emotion=" + ToUtf8(request.Emotion);
  return query;
}

std::string CloudV1Body(const SynthesisRequest& request) {
  std::string body = IsSsmlText(request.Text) ? "ssml=" : "text=";
  body += EncodedText(request.Text);
  body += "&format=oggopus&lang=" + ToUtf8(VoiceLanguage(request.Voice));
  body += "&voice=" + SentVoice(request);
  body += SpeedParameter(request);
  const std::u16string emotion = EffectiveEmotion(request.Voice, request.Emotion);
  if (!emotion.empty() && emotion != u"neutral") body += "&emotion=" + ToUtf8(emotion);
  return body;
}

std::string CloudV3Body(const SynthesisRequest& request) {
  std::string body = "{\"text\":\"" + JsonEscape(request.Text) + "\",\"hints\":[{\"voice\":\"" +
                     JsonEscape(ServiceVoiceName(request.Voice)) + "\"}";
  if (SpeedIsSent(request.Rate)) body += ",{\"speed\":" + ToUtf8(request.Rate) + "}";
  if (!request.Emotion.empty() && request.Emotion != u"neutral") {
    body += ",{\"role\":\"" + JsonEscape(request.Emotion) + "\"}";
  }
  body +=
      "],\"output_audio_spec\":{\"container_audio\":{\"container_audio_type\":\"OGG_OPUS\"}},\"unsafe_mode\":"
      "false}";
  return body;
}

}  // namespace sonacli

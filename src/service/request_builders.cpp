#include "service/request_builders.h"

#include <algorithm>

#include "catalogue/voice_catalogue.h"
#include "common/unicode_text.h"
#include "service/request_encoding.h"
#include "service/sent_tone.h"

namespace sonacli {
namespace {

std::string EncodedText(std::u16string_view text) {
  return UrlEncodeUtf8(ToUtf8(text));
}

std::string SentVoice(const TSynthesisRequest& request) {
  return ToUtf8(ServiceVoiceName(request.Voice));
}

// The rate as typed, but without a leading "+", which a query or form would deliver as a space.
std::string SpeedText(std::u16string_view rate) {
  if (rate.starts_with(u'+')) rate.remove_prefix(1);
  return ToUtf8(rate);
}

// The rate as a JSON number of the same value; a rate already written as one goes unchanged.
// ".5" gives "0.5", "1." gives "1", "01.5" gives "1.5", "+2" gives "2".
std::string JsonSpeed(std::u16string_view rate) {
  const std::string text = SpeedText(rate);
  const size_t exponent = std::min(text.find_first_of("eE"), text.size());
  const size_t dot = std::min(text.find('.'), exponent);
  std::string integer = text.substr(0, dot);
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
  // Not assigned from a literal: GCC 12 warns falsely of overlapping copies there.
  if (integer.empty()) integer.push_back('0');
  const std::string fraction = dot < exponent ? text.substr(dot + 1, exponent - dot - 1) : "";
  return integer + (fraction.empty() ? "" : "." + fraction) + text.substr(exponent);
}

std::string SpeedParameter(const TSynthesisRequest& request) {
  return SpeedIsSent(request.Rate) ? "&speed=" + SpeedText(request.Rate) : "";
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

std::string LegacyQuery(const TSynthesisRequest& request) {
  std::string query = "key=" + ToUtf8(request.ApiKey);
  query += "&text=" + EncodedText(request.Text);
  query += "&format=opus&lang=" + ToUtf8(LegacyLanguage(request.Language));
  query += "&speaker=" + SentVoice(request);
  query += "&quality=hi";
  query += SpeedParameter(request);
  const std::u16string tone = SentTone(TServiceInterface::Legacy, request.Voice, request.Emotion);
  if (!tone.empty()) query += "&emotion=" + ToUtf8(tone);
  return query;
}

std::string CloudV1Body(const TSynthesisRequest& request) {
  std::string body = !request.PlainText && IsSsmlText(request.Text) ? "ssml=" : "text=";
  body += EncodedText(request.Text);
  body += "&format=oggopus&lang=" + ToUtf8(VoiceLanguage(request.Voice));
  body += "&voice=" + SentVoice(request);
  body += SpeedParameter(request);
  const std::u16string tone = SentTone(TServiceInterface::CloudV1, request.Voice, request.Emotion);
  if (!tone.empty()) body += "&emotion=" + ToUtf8(tone);
  return body;
}

std::string CloudV3Body(const TSynthesisRequest& request) {
  std::string body = "{\"text\":\"" + JsonEscape(request.Text) + "\",\"hints\":[{\"voice\":\"" +
                     JsonEscape(ServiceVoiceName(request.Voice)) + "\"}";
  if (SpeedIsSent(request.Rate)) body += ",{\"speed\":" + JsonSpeed(request.Rate) + "}";
  const std::u16string tone = SentTone(TServiceInterface::CloudV3, request.Voice, request.Emotion);
  if (!tone.empty()) body += ",{\"role\":\"" + JsonEscape(tone) + "\"}";
  body +=
      "],\"output_audio_spec\":{\"container_audio\":{\"container_audio_type\":\"OGG_OPUS\"}},\"unsafe_mode\":"
      "false}";
  return body;
}

}  // namespace sonacli

#include "service/synthesis_attempt.h"

#include <optional>

#include "audio/audio_error.h"
#include "audio/opus_decoder.h"
#include "common/unicode_text.h"
#include "http/http_client.h"
#include "service/request_builders.h"
#include "service/service_connection.h"
#include "service/v3_answer.h"

namespace sonacli {

namespace {

constexpr char16_t kInternalError[] = u"HTTP 500 - Internal error";

bool IsRefusal(int status) {
  return status == 400 || status == 401 || status == 403 || status == 419;
}

// True for status 200; otherwise the message "HTTP <code>[ - <text>]" and the refusal flag.
bool AcceptStatus(const THttpAnswer& answer, TSynthesisRequest& request, std::u16string& errorText) {
  if (answer.Status == 200) return true;
  if (IsRefusal(answer.Status)) request.Rejected = true;
  std::string message = "HTTP " + std::to_string(answer.Status);
  if (!answer.StatusText.empty()) message += " - " + answer.StatusText;
  errorText = ToUtf16(message);
  return false;
}

// The message of a transport failure: the one scripts match, with the cause after it. A failure
// that a new attempt would meet again (an answer too large to take) ends the retries, as a refusal does.
std::u16string TransportFailure(const THttpError& error, TSynthesisRequest& request) {
  if (!error.WorthRetrying()) request.Rejected = true;
  return std::u16string(kInternalError) + u" (" + ToUtf16(error.what()) + u")";
}

std::string AuthorizationLine(const TSynthesisRequest& request) {
  return "Authorization: Api-Key " + ToUtf8(request.ApiKey);
}

// The exchange with the legacy or the v1 interface; nullopt on a transport failure, described in
// `errorText`.
std::optional<THttpAnswer> Exchange(TServiceInterface kind, TSynthesisRequest& request,
                                    const TProxySettings& proxy, THttpShare* share,
                                    std::u16string& errorText) {
  try {
    THttpClient client(share);
    ConfigureHttpClient(client, proxy, request.Abandoned);
    if (kind == TServiceInterface::Legacy)
      return client.Get(LegacyServiceUrl() + "/generate?" + LegacyQuery(request));
    THttpPost post{
        "application/x-www-form-urlencoded", CloudV1Body(request), "", {AuthorizationLine(request)}};
    return client.Post(CloudServiceUrl() + "/speech/v1/tts:synthesize", post);
  } catch (const THttpError& error) {
    errorText = TransportFailure(error, request);
    return std::nullopt;
  }
}

bool Decode(const std::string& ogg, TSynthesisRequest& request, const TSettings& settings) {
  return DecodeOpusAnswer(ogg, request.AudioOut, request.VolumeDelta, settings.SampleRate,
                          request.ChannelMode, settings.Stereo);
}

// The cached answer, decoded into `request.AudioOut`. An entry that does not decode into audio is
// discarded, so that the piece is requested again.
bool TakeCachedAnswer(const TAnswerCache& cache, const std::string& key, TSynthesisRequest& request,
                      const TSettings& settings) {
  std::optional<std::string> ogg = cache.Load(key);
  if (!ogg) return false;
  bool ok = ogg->empty();
  if (!ok) {
    try {
      ok = Decode(*ogg, request, settings) && !request.AudioOut.empty();
    } catch (const TAudioError&) {
      ok = false;
    }
  }
  if (!ok) {
    request.AudioOut.clear();
    cache.Discard(key);
    return false;
  }
  request.FromCache = true;
  return true;
}

}  // namespace

std::string AnswerKeyOf(const TSynthesisRequest& request) {
  switch (RouteRequest(request.ApiKey, request.Voice)) {
    case TServiceInterface::None:
      return {};
    case TServiceInterface::Legacy: {
      // The key is left out: any key gets the same answer.
      TSynthesisRequest withoutKey = request;
      withoutKey.ApiKey.clear();
      withoutKey.AudioOut.clear();
      return AnswerKey("legacy", LegacyServiceUrl() + "/generate", LegacyQuery(withoutKey));
    }
    case TServiceInterface::CloudV1:
      return AnswerKey("v1", CloudServiceUrl() + "/speech/v1/tts:synthesize", CloudV1Body(request));
    case TServiceInterface::CloudV3:
      return AnswerKey("v3", CloudServiceUrl() + "/tts/v3/utteranceSynthesis", CloudV3Body(request));
  }
  return {};
}

bool SendV3Request(TSynthesisRequest& request, std::string& answer, std::u16string& errorText,
                   const TProxySettings& proxy, THttpShare* share) {
  THttpAnswer reply;
  try {
    THttpClient client(share);
    ConfigureHttpClient(client, proxy, request.Abandoned);
    THttpPost post{
        "application/json; charset=utf-8", CloudV3Body(request), "*/*", {AuthorizationLine(request)}};
    reply = client.Post(CloudServiceUrl() + "/tts/v3/utteranceSynthesis", post);
  } catch (const THttpError& error) {
    errorText = TransportFailure(error, request);
    return false;
  }
  if (!AcceptStatus(reply, request, errorText)) return false;
  std::optional<std::string> audio = ExtractV3Audio(reply.Body);
  if (!audio) {
    errorText = u"No audio data";
    return false;
  }
  answer = std::move(*audio);
  return true;
}

bool SendSynthesisRequest(TSynthesisRequest& request, std::u16string& errorText, const TSettings& settings,
                          const TAnswerCache* cache, THttpShare* share) {
  errorText = kInternalError;
  request.AudioOut.clear();
  request.FromCache = false;
  const TServiceInterface kind = RouteRequest(request.ApiKey, request.Voice);
  std::string ogg;
  if (kind == TServiceInterface::None) {
    errorText = kPremiumVoiceNeedsCloudKey;
    request.Rejected = true;
    return false;
  }
  const std::string key = cache != nullptr ? AnswerKeyOf(request) : std::string();
  if (cache != nullptr && TakeCachedAnswer(*cache, key, request, settings)) return true;
  if (kind == TServiceInterface::CloudV3) {
    if (!SendV3Request(request, ogg, errorText, settings.ProxySettings, share)) return false;
  } else {
    std::optional<THttpAnswer> answer = Exchange(kind, request, settings.ProxySettings, share, errorText);
    if (!answer || !AcceptStatus(*answer, request, errorText)) return false;
    ogg = std::move(answer->Body);
  }
  if (ogg.empty() || Decode(ogg, request, settings)) {
    // Only an answer that decoded into audio (or an empty one) is worth keeping.
    if (cache != nullptr && (ogg.empty() || !request.AudioOut.empty())) cache->Store(key, ogg);
    return true;
  }
  request.AudioOut.clear();
  errorText = std::u16string(kInternalError) + u" (the answer is not Ogg Opus audio)";
  return false;
}

}  // namespace sonacli

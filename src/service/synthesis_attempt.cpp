#include "service/synthesis_attempt.h"

#include <optional>

#include "common/unicode_text.h"
#include "http/http_client.h"
#include "service/answer_cache.h"
#include "service/request_builders.h"
#include "service/service_connection.h"
#include "service/v3_answer.h"

namespace sonacli {

namespace {

constexpr char16_t kInternalError[] = u"HTTP 500 - Internal error";
constexpr char16_t kNoAudioData[] = u"No audio data";

// How one interface is reached and how its answer carries the audio.
struct TInterfaceRow {
  TServiceInterface Interface;
  const char* Name;  // in the answer cache's key
  std::string TServiceEndpoints::*BaseUrl;
  const char* Path;
  std::string (*Payload)(const TSynthesisRequest&);  // the query of a GET, the body of a POST
  const char* ContentType;                           // nullptr: a GET
  const char* Accept;                                // empty: the HTTP client's default
  bool KeyInHeader;                                  // "Authorization: Api-Key <key>"
  bool AudioInJson;                                  // base64 chunks in JSON, not the body itself
};

constexpr TInterfaceRow kInterfaces[] = {
    {TServiceInterface::Legacy, "legacy", &TServiceEndpoints::LegacyUrl, "/generate", LegacyQuery, nullptr,
     "", false, false},
    {TServiceInterface::CloudV1, "v1", &TServiceEndpoints::CloudUrl, "/speech/v1/tts:synthesize", CloudV1Body,
     "application/x-www-form-urlencoded", "", true, false},
    {TServiceInterface::CloudV3, "v3", &TServiceEndpoints::CloudUrl, "/tts/v3/utteranceSynthesis",
     CloudV3Body, "application/json; charset=utf-8", "*/*", true, true},
};

const TInterfaceRow* RowOf(const TSynthesisRequest& request) {
  const TServiceInterface routed = RouteRequest(request.ApiKey, request.Voice);
  for (const TInterfaceRow& row : kInterfaces) {
    if (row.Interface == routed) return &row;
  }
  return nullptr;
}

bool IsRefusal(int status) {
  return status == 400 || status == 401 || status == 403 || status == 419;
}

// The statuses with which a busy service tells when to come back.
bool IsBusy(int status) {
  return status == 429 || status == 503;
}

TSynthesisAnswer Failure(TSynthesisOutcome outcome, std::u16string message) {
  TSynthesisAnswer answer;
  answer.Outcome = outcome;
  answer.ErrorText = std::move(message);
  return answer;
}

// "HTTP <code>[ - <text>]"; a refusal is not retried; a busy service's Retry-After is kept.
TSynthesisAnswer StatusFailure(const THttpAnswer& reply) {
  std::string message = "HTTP " + std::to_string(reply.Status);
  if (!reply.StatusText.empty()) message += " - " + reply.StatusText;
  TSynthesisAnswer answer = Failure(
      IsRefusal(reply.Status) ? TSynthesisOutcome::Rejected : TSynthesisOutcome::Failed, ToUtf16(message));
  if (IsBusy(reply.Status)) answer.RetryAfterSeconds = reply.RetryAfterSeconds;
  return answer;
}

TSynthesisAnswer Received(std::string bytes) {
  TSynthesisAnswer answer;
  answer.Outcome = TSynthesisOutcome::Spoken;
  answer.Received = std::move(bytes);
  return answer;
}

// The exchange of one attempt: the request sent as the row says, the status checked; a spoken
// answer carries the Ogg Opus bytes received, not yet decoded.
TSynthesisAnswer Exchange(const TInterfaceRow& row, const TSynthesisRequest& request, std::stop_token stop,
                          const TServiceSettings& service, THttpShare* share) {
  THttpAnswer reply;
  try {
    THttpClient client(share);
    ConfigureHttpClient(client, service, stop);
    const std::string url = service.Endpoints.*row.BaseUrl + row.Path;
    if (row.ContentType == nullptr) {
      reply = client.Get(url + "?" + row.Payload(request));
    } else {
      THttpPost post{row.ContentType, row.Payload(request), row.Accept, {}};
      if (row.KeyInHeader) post.HeaderLines.push_back("Authorization: Api-Key " + ToUtf8(request.ApiKey));
      reply = client.Post(url, post);
    }
  } catch (const THttpError& error) {
    // The message scripts match, with the cause after it. A failure that a new attempt would meet
    // again (an answer too large to take) is not retried, as a refusal is not.
    return Failure(error.WorthRetrying() ? TSynthesisOutcome::Failed : TSynthesisOutcome::Rejected,
                   std::u16string(kInternalError) + u" (" + ToUtf16(error.what()) + u")");
  }
  if (reply.Status != 200) return StatusFailure(reply);
  if (!row.AudioInJson) return Received(std::move(reply.Body));
  std::optional<std::string> audio = ExtractV3Audio(reply.Body);
  if (!audio) return Failure(TSynthesisOutcome::Failed, kNoAudioData);
  return Received(std::move(*audio));
}

}  // namespace

std::string AnswerKeyOf(const TSynthesisRequest& request, const TServiceEndpoints& endpoints) {
  const TInterfaceRow* row = RowOf(request);
  if (row == nullptr) return {};
  // The key is left out: any key gets the same answer.
  TSynthesisRequest withoutKey = request;
  withoutKey.ApiKey.clear();
  return AnswerKey(row->Name, endpoints.*row->BaseUrl + row->Path, row->Payload(withoutKey));
}

TSynthesisAnswer SendSynthesisRequest(const TSynthesisRequest& request, const TAnswerUse& use,
                                      std::stop_token stop, const TServiceSettings& service,
                                      THttpShare* share) {
  const TInterfaceRow* row = RowOf(request);
  if (row == nullptr) return Failure(TSynthesisOutcome::Rejected, kPremiumVoiceNeedsCloudKey);
  TSynthesisAnswer answer = Exchange(*row, request, stop, service, share);
  if (!answer.Spoken()) return answer;
  // Every request has something to say: an answer without audio would silently drop it.
  if (answer.Received.empty()) return Failure(TSynthesisOutcome::Failed, kNoAudioData);
  if (!use(answer.Received)) {
    return Failure(TSynthesisOutcome::Failed,
                   std::u16string(kInternalError) + u" (the answer is not Ogg Opus audio)");
  }
  return answer;
}

}  // namespace sonacli

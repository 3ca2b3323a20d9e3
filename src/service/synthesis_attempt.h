// One attempt at a synthesis request: routing, the exchange with the service, the status check and
// the decoding of the answer.
#pragma once

#include <string>

#include "http/http_share.h"
#include "service/answer_cache.h"
#include "service/synthesis_request.h"
#include "settings/settings.h"

namespace sonacli {

// The message of an attempt that failed for a legacy key with a premium voice: no interface serves
// that combination, so no request is sent.
inline constexpr char16_t kPremiumVoiceNeedsCloudKey[] =
    u"Premium voices need a cloud API key: the legacy key serves only the standard voices";

// One attempt. `errorText` starts as "HTTP 500 - Internal error" and describes a failure;
// `request.AudioOut` is emptied first and holds the decoded WAV on success (empty for an empty
// answer). Sets `request.Rejected` for 400, 401, 403, 419, for a combination that no interface
// serves and for an answer over kMaxAnswerBytes. Transport failures make a failed attempt whose
// message is "HTTP 500 - Internal error" followed by the cause in parentheses; so does an answer
// that is not Ogg Opus audio. Decoder failures that raise are not caught.
// The proxy, the output rate and stereo come from `settings`. With a `cache`, an answer found there
// is decoded instead of sending the request (`request.FromCache`), and every answer received that
// decodes is stored there. With a `share`, the HTTP client takes what it can from there.
bool SendSynthesisRequest(TSynthesisRequest& request, std::u16string& errorText, const TSettings& settings,
                          const TAnswerCache* cache = nullptr, THttpShare* share = nullptr);

// The cache key of the request as it would be sent; empty when no interface serves it.
std::string AnswerKeyOf(const TSynthesisRequest& request);

// The cloud v3 exchange; on true `answer` holds the Ogg Opus bytes joined from every chunk (may be
// empty). On false `errorText` says why ("No audio data", the HTTP status).
bool SendV3Request(TSynthesisRequest& request, std::string& answer, std::u16string& errorText,
                   const TProxySettings& proxy, THttpShare* share = nullptr);

}  // namespace sonacli

// One attempt at a synthesis request: routing, the exchange with the service, the status check and
// the caller's use of the answer.
#pragma once

#include <stop_token>
#include <string>

#include "http/http_share.h"
#include "service/service_settings.h"
#include "service/synthesis_answer.h"
#include "service/synthesis_request.h"
#include "service/synthesis_service.h"

namespace sonacli {

// The message of an attempt that failed for a legacy key with a premium voice: no interface serves
// that combination, so no request is sent.
inline constexpr char16_t kPremiumVoiceNeedsCloudKey[] =
    u"Premium voices need a cloud API key: the legacy key serves only the standard voices";

// One attempt, sent the way the routed interface's row says. Spoken: the bytes received, which
// `use` took. Rejected for 400, 401, 403, 419, for a combination that no interface serves and for
// an answer over kMaxAnswerBytes (with the message of a transport failure). Failed otherwise: "HTTP
// <code>[ - <text>]" for another status (with the wait of a Retry-After header on a 429 or 503),
// "No audio data" for an empty answer or a v3 answer without audio, and "HTTP 500 - Internal error"
// followed by the cause in parentheses for a transport failure or an answer that `use` did not take
// ("the answer is not Ogg Opus audio"). What `use` raises is not caught. A stop requested on `stop`
// ends the transfer. Where the service is, the proxy, the time-out and the certificates trusted come
// from `service`; with a `share`, the HTTP client takes what it can from there.
TSynthesisAnswer SendSynthesisRequest(const TSynthesisRequest& request, const TAnswerUse& use,
                                      std::stop_token stop, const TServiceSettings& service,
                                      THttpShare* share = nullptr);

// The answer cache's key of the request as it would be sent to `endpoints`, without the API key;
// empty when no interface serves it.
std::string AnswerKeyOf(const TSynthesisRequest& request, const TServiceEndpoints& endpoints);

}  // namespace sonacli

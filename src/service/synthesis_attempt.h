// One attempt at a synthesis request: routing, the exchange with the service, the status check and
// the decoding of the answer.
#pragma once

#include <string>

#include "http/http_share.h"
#include "service/synthesis_answer.h"
#include "service/synthesis_request.h"
#include "settings/settings.h"

namespace sonacli {

// The message of an attempt that failed for a legacy key with a premium voice: no interface serves
// that combination, so no request is sent.
inline constexpr char16_t kPremiumVoiceNeedsCloudKey[] =
    u"Premium voices need a cloud API key: the legacy key serves only the standard voices";

// One attempt, sent the way the routed interface's row says. Spoken: the decoded WAV with the bytes
// received. Rejected for 400, 401, 403, 419, for a combination that no interface serves and for an
// answer over kMaxAnswerBytes (with the message of a transport failure). Failed otherwise: "HTTP
// <code>[ - <text>]" for another status (with the wait of a Retry-After header on a 429 or 503),
// "No audio data" for an empty answer or a v3 answer without audio, and "HTTP 500 - Internal error"
// followed by the cause in parentheses for a transport failure or an answer that is not Ogg Opus
// audio. Conversion failures (TAudioError) are not caught. The proxy, the output rate and stereo
// come from `settings`; with a `share`, the HTTP client takes what it can from there.
TSynthesisAnswer SendSynthesisRequest(const TSynthesisRequest& request, const TSettings& settings,
                                      THttpShare* share = nullptr);

// The answer cache's key of the request as it would be sent, without the API key; empty when no
// interface serves it.
std::string AnswerKeyOf(const TSynthesisRequest& request);

// Decodes received Ogg Opus bytes as the request and the settings ask (volume, channels, rate) into
// `wav`; as DecodeOpusAnswer.
bool DecodeAnswer(const std::string& received, const TSynthesisRequest& request, const TSettings& settings,
                  std::string& wav);

}  // namespace sonacli

// The three interfaces of the speech service as the stand-in answers them: the legacy GET
// "/generate", the cloud v1 form "/speech/v1/tts:synthesize" and the cloud v3 JSON
// "/tts/v3/utteranceSynthesis", each with the checks the real service makes.
#pragma once

#include <string>

#include "standin/http_exchange.h"
#include "standin/standin_script.h"

namespace sonacli::standin {

// The longest text, in Unicode characters, that each interface accepts.
constexpr int kLegacyMaxText = 2000;
constexpr int kV1MaxText = 5000;
constexpr int kV3MaxText = 250;
// The v3 answer carries the Ogg stream in pieces of at most this many bytes, one JSON object each.
constexpr size_t kV3ChunkBytes = 4000;

// The answer to one request: the script's rule for it when one applies (its index into
// `ruleIndex`, when given), else the service's own.
TResponse AnswerRequest(const TRequest& request, TScript& script, int* ruleIndex = nullptr);

// The text a request asks to speak (the "text" or "ssml" parameter, or the v3 "text"); empty when
// it has none.
std::string RequestText(const TRequest& request);

// Standard base64 with "=" padding.
std::string EncodeBase64(const std::string& bytes);

}  // namespace sonacli::standin

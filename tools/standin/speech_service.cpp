#include "standin/speech_service.h"

#include <array>
#include <charconv>
#include <ctime>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "standin/tone_audio.h"

namespace sonacli::standin {
namespace {

using TParams = std::map<std::string, std::string>;

const char kLegacyPath[] = "/generate";
const char kV1Path[] = "/speech/v1/tts:synthesize";
const char kV3Path[] = "/tts/v3/utteranceSynthesis";

// The outcome of the service's own handling: an error or the Ogg Opus speech.
struct TOutcome {
  int Status = 200;
  std::string Message;
  std::string Audio;
};

TOutcome Fail(int status, const std::string& message) {
  return {status, message, ""};
}

std::string StatusText(int status) {
  static const std::map<int, std::string> texts = {
      {200, "OK"},           {400, "Bad Request"},         {401, "Unauthorized"},
      {403, "Forbidden"},    {404, "Not Found"},           {405, "Method Not Allowed"},
      {419, "Page Expired"}, {429, "Too Many Requests"},   {500, "Internal Server Error"},
      {502, "Bad Gateway"},  {503, "Service Unavailable"}, {504, "Gateway Timeout"}};
  const auto found = texts.find(status);
  return found == texts.end() ? "" : found->second;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string UrlDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

TParams ParseForm(const std::string& text) {
  TParams params;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('&', start);
    if (end == std::string::npos) end = text.size();
    const std::string pair = text.substr(start, end - start);
    const size_t equals = pair.find('=');
    if (!pair.empty())
      params.emplace(UrlDecode(pair.substr(0, equals)),
                     equals == std::string::npos ? "" : UrlDecode(pair.substr(equals + 1)));
    start = end + 1;
  }
  return params;
}

std::string Get(const TParams& params, const std::string& name) {
  const auto found = params.find(name);
  return found == params.end() ? "" : found->second;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The speed as a number from 0.1 to 3.0; 0 when the text is not such a number.
double ParseSpeed(const std::string& text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0.1 || value > 3.0) return 0;
  return value;
}

bool ValidVoice(const std::string& voice) {
  if (voice.empty()) return false;
  for (char c : voice) {
    if (!((c >= 'a' && c <= 'z') || c == '_')) return false;
  }
  return true;
}

bool Authorized(const TRequest& request) {
  const std::string value = request.Header("Authorization");
  for (const std::string scheme : {"Api-Key ", "Bearer "}) {
    if (value.size() > scheme.size() && value.compare(0, scheme.size(), scheme) == 0) return true;
  }
  return false;
}

TOutcome Speak(const std::string& text, int maxText, const TVoicing& voicing) {
  if (text.empty()) return Fail(400, "text is empty");
  if (CountCharacters(text) > maxText) return Fail(400, "text is longer than " + std::to_string(maxText));
  return {200, "", MakeToneSpeech(text, voicing)};
}

// The value of a parameter, or the service's default when the request leaves it out.
std::string ValueOr(const TParams& params, const std::string& name, const std::string& fallback) {
  return params.contains(name) ? Get(params, name) : fallback;
}

TOutcome Legacy(const TRequest& request) {
  if (request.Method != "GET") return Fail(405, "use GET");
  const TParams params = ParseForm(request.Query);
  if (Get(params, "key").empty()) return Fail(401, "no API key");
  static const std::set<std::string> languages = {"ru-RU", "en-US", "tr-TR", "uk-UK"};
  if (Get(params, "format") != "opus") return Fail(400, "format must be opus");
  if (!languages.contains(Get(params, "lang"))) return Fail(400, "unsupported lang");
  if (!ValidVoice(Get(params, "speaker"))) return Fail(400, "bad speaker");
  const std::string quality = Get(params, "quality");
  if (!quality.empty() && quality != "hi" && quality != "lo") return Fail(400, "bad quality");
  const std::string emotion = Get(params, "emotion");
  if (params.contains("emotion") && emotion != "good" && emotion != "evil" && emotion != "neutral") {
    return Fail(400, "bad emotion");
  }
  double speed = 1.0;
  if (params.contains("speed") && (speed = ParseSpeed(Get(params, "speed"))) == 0)
    return Fail(400, "bad speed");
  const TVoicing voicing{.Interface = kLegacyPath,
                         .Language = Lower(Get(params, "lang")),
                         .Voice = Get(params, "speaker"),
                         .Tone = ValueOr(params, "emotion", "neutral"),
                         .Quality = ValueOr(params, "quality", "hi"),
                         .Speed = speed};
  return Speak(Get(params, "text"), kLegacyMaxText, voicing);
}

const std::set<std::string>& CloudRoles() {
  static const std::set<std::string> roles = {"neutral", "good", "evil", "friendly", "strict", "whisper"};
  return roles;
}

TOutcome CloudV1(const TRequest& request) {
  if (request.Method != "POST") return Fail(405, "use POST");
  if (!Authorized(request)) return Fail(401, "no API key");
  if (request.Header("Content-Type").rfind("application/x-www-form-urlencoded", 0) != 0) {
    return Fail(400, "the body must be a form");
  }
  const TParams params = ParseForm(request.Body);
  if (params.contains("text") == params.contains("ssml")) return Fail(400, "give either text or ssml");
  const std::string ssml = Get(params, "ssml");
  if (params.contains("ssml") && (Lower(ssml).rfind("<speak>", 0) != 0 || ssml.size() < 15 ||
                                  Lower(ssml.substr(ssml.size() - 8)) != "</speak>")) {
    return Fail(400, "ssml must be enclosed in <speak>");
  }
  if (params.contains("format") && Get(params, "format") != "oggopus")
    return Fail(400, "format must be oggopus");
  static const std::set<std::string> languages = {"ru-ru", "en-us", "de-de", "kk-kz",
                                                  "uz-uz", "tr-tr", "he-il"};
  if (params.contains("lang") && !languages.contains(Lower(Get(params, "lang")))) {
    return Fail(400, "unsupported lang");
  }
  if (!ValidVoice(Get(params, "voice"))) return Fail(400, "bad voice");
  if (params.contains("emotion") && !CloudRoles().contains(Get(params, "emotion")))
    return Fail(400, "bad emotion");
  double speed = 1.0;
  if (params.contains("speed") && (speed = ParseSpeed(Get(params, "speed"))) == 0)
    return Fail(400, "bad speed");
  const TVoicing voicing{.Interface = kV1Path,
                         .Language = Lower(ValueOr(params, "lang", "ru-RU")),
                         .Voice = Get(params, "voice"),
                         .Tone = ValueOr(params, "emotion", "neutral"),
                         .Speed = speed};
  return Speak(params.contains("ssml") ? ssml : Get(params, "text"), kV1MaxText, voicing);
}

// Checks the "hints" array; returns an error message, or empty with the voice, speed and role of
// `voicing` set.
std::string CheckHints(const nlohmann::json& hints, TVoicing& voicing) {
  if (!hints.is_array()) return "hints must be an array";
  for (const auto& hint : hints) {
    if (!hint.is_object() || hint.size() != 1) return "each hint has one member";
    if (hint.contains("voice")) {
      if (!hint["voice"].is_string() || !ValidVoice(hint["voice"].get<std::string>())) return "bad voice";
      voicing.Voice = hint["voice"].get<std::string>();
    } else if (hint.contains("speed")) {
      if (!hint["speed"].is_number()) return "speed must be a number";
      voicing.Speed = hint["speed"].get<double>();
      if (voicing.Speed < 0.1 || voicing.Speed > 3.0) return "speed out of range";
    } else if (hint.contains("role")) {
      if (!hint["role"].is_string() || !CloudRoles().contains(hint["role"].get<std::string>()))
        return "bad role";
      voicing.Tone = hint["role"].get<std::string>();
    } else {
      return "unknown hint";
    }
  }
  return voicing.Voice.empty() ? "no voice" : "";
}

TOutcome CloudV3(const TRequest& request) {
  if (request.Method != "POST") return Fail(405, "use POST");
  if (!Authorized(request)) return Fail(401, "no API key");
  if (request.Header("Content-Type").rfind("application/json", 0) != 0)
    return Fail(400, "the body must be JSON");
  const nlohmann::json body = nlohmann::json::parse(request.Body, nullptr, false);
  if (!body.is_object() || !body.contains("text") || !body["text"].is_string()) return Fail(400, "no text");
  TVoicing voicing{.Interface = kV3Path, .Tone = "neutral"};
  const std::string hintError = CheckHints(body.value("hints", nlohmann::json::array()), voicing);
  if (!hintError.empty()) return Fail(400, hintError);
  const nlohmann::json type =
      body.value("/output_audio_spec/container_audio/container_audio_type"_json_pointer, nlohmann::json());
  if (type != "OGG_OPUS") return Fail(400, "only OGG_OPUS is served");
  if (body.contains("unsafe_mode") && !body["unsafe_mode"].is_boolean()) return Fail(400, "bad unsafe_mode");
  return Speak(body["text"].get<std::string>(), kV3MaxText, voicing);
}

TOutcome Serve(const TRequest& request) {
  if (request.Path == kLegacyPath) return Legacy(request);
  if (request.Path == kV1Path) return CloudV1(request);
  if (request.Path == kV3Path) return CloudV3(request);
  return Fail(404, "no such interface");
}

std::string V3Answer(const std::string& audio) {
  std::string answer;
  for (size_t start = 0; start < audio.size(); start += kV3ChunkBytes) {
    answer += nlohmann::json{{"result",
                              {{"audioChunk", {{"data", EncodeBase64(audio.substr(start, kV3ChunkBytes))}}}}}}
                  .dump();
    answer += "\n";
  }
  return answer;
}

TResponse ErrorResponse(int status, const std::string& statusText, const std::string& message) {
  TResponse response;
  response.Status = status;
  response.StatusText = statusText;
  response.Body = nlohmann::json{{"error_code", statusText}, {"error_message", message}}.dump();
  return response;
}

// A 200 answer carrying `audio` in the form of the request's interface.
TResponse AudioResponse(const TRequest& request, const std::string& audio) {
  TResponse response;
  if (request.Path == kV3Path) {
    response.Body = V3Answer(audio);
  } else {
    response.ContentType = "audio/ogg";
    response.Body = audio;
  }
  return response;
}

// The IMF-fixdate form of HTTP dates, "Sun, 06 Nov 1994 08:49:37 GMT", `seconds` from now.
std::string HttpDate(int seconds) {
  const std::time_t when = std::time(nullptr) + seconds;
  std::tm parts{};
  gmtime_r(&when, &parts);
  std::array<char, 64> text{};
  // The C locale's day and month names are the English ones HTTP dates use.
  const size_t length = std::strftime(text.data(), text.size(), "%a, %d %b %Y %H:%M:%S GMT", &parts);
  return std::string(text.data(), length);
}

TResponse Scripted(const TRequest& request, const TRule& rule) {
  TResponse response;
  const std::string statusText = rule.StatusText.value_or(StatusText(rule.Status));
  if (rule.Answer == "drop") {
    response.Drop = true;
  } else if (rule.Status != 200) {
    response = ErrorResponse(rule.Status, statusText, "scripted answer");
    if (rule.Body) response.Body = *rule.Body;
  } else if (rule.Answer == "empty") {
    response.Body.clear();
  } else if (rule.Answer == "no_audio") {
    response.Body = R"({"result":{"textChunk":{"text":"no audio here"}}})";
  } else if (rule.Answer == "not_ogg") {
    response = AudioResponse(request, "This is not an Ogg stream, only some text.");
  } else {
    const TOutcome outcome = Serve(request);
    if (outcome.Status != 200) {
      response = ErrorResponse(outcome.Status, StatusText(outcome.Status), outcome.Message);
    } else {
      response =
          AudioResponse(request, rule.Answer == "truncated" ? outcome.Audio.substr(0, 20) : outcome.Audio);
      if (rule.Answer == "oversized") response.RepeatedTo = rule.OversizedBytes;
    }
  }
  if (rule.Status != 200) response.StatusText = statusText;
  if (rule.Body) response.Body = *rule.Body;
  if (rule.ContentType) response.ContentType = *rule.ContentType;
  response.Headers = rule.Headers;
  if (rule.RetryAfterDateInS) response.Headers.emplace_back("Retry-After", HttpDate(*rule.RetryAfterDateInS));
  response.CutShort = rule.Answer == "cut";
  response.DelayMs =
      rule.DelayMs + rule.DelayMsPerCharacter * static_cast<int>(CountCharacters(RequestText(request)));
  return response;
}

}  // namespace

std::string EncodeBase64(const std::string& bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k)
      group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
  }
  return out;
}

std::string RequestText(const TRequest& request) {
  if (request.Path == kLegacyPath) return Get(ParseForm(request.Query), "text");
  if (request.Path == kV1Path) {
    const TParams params = ParseForm(request.Body);
    return params.contains("ssml") ? Get(params, "ssml") : Get(params, "text");
  }
  const nlohmann::json body = nlohmann::json::parse(request.Body, nullptr, false);
  if (body.is_object() && body.contains("text") && body["text"].is_string()) return body["text"];
  return "";
}

TResponse AnswerRequest(const TRequest& request, TScript& script, int* ruleIndex) {
  if (const auto rule = script.Take(request.Path, RequestText(request))) {
    if (ruleIndex != nullptr) *ruleIndex = rule->Index;
    return Scripted(request, *rule);
  }
  const TOutcome outcome = Serve(request);
  if (outcome.Status != 200)
    return ErrorResponse(outcome.Status, StatusText(outcome.Status), outcome.Message);
  return AudioResponse(request, outcome.Audio);
}

}  // namespace sonacli::standin

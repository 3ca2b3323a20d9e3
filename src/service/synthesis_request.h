// One request to the speech service (what is asked; what comes back is a TSynthesisAnswer), the
// form of the API key and the choice of interface.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

struct TSynthesisRequest {
  std::u16string Text;      // already through the dictionaries
  std::u16string Language;  // the piece's language code, "ru-RU"
  std::u16string Voice;     // as in the voice table, may end in ":old"
  std::u16string Rate;      // as typed; empty for the default rate
  std::u16string Emotion;   // the full tone word
  std::u16string ApiKey;
  // Sent as text whatever it looks like, never as SSML: text that is no command (a book's).
  bool PlainText = false;
};

// The interfaces of the service; None: no interface serves the key and voice.
enum class TServiceInterface { None, Legacy, CloudV1, CloudV3 };

// A legacy key is longer than 25 characters with "-" at positions 9, 14, 19 and 24 (from 1);
// every other key is a cloud key.
bool IsLegacyKey(std::u16string_view key);

// The routing table: a legacy key with a premium voice has no interface; a legacy key otherwise
// uses the legacy "generate" interface; a cloud key uses v3 for the v3-only voices, else v1.
TServiceInterface RouteRequest(std::u16string_view apiKey, std::u16string_view voice);

}  // namespace sonacli

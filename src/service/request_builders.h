// The bytes of the three requests: the legacy GET query, the cloud v1 form body and the cloud v3
// JSON body.
#pragma once

#include <string>
#include <string_view>

#include "service/synthesis_request.h"

namespace sonacli {

// The speed goes out only for a rate that is neither empty nor "1.0": as typed, less a leading "+",
// on the legacy and v1 interfaces; as a JSON number of the same value on v3.
bool SpeedIsSent(std::u16string_view rate);
// A text that starts with "<speak>" and ends with "</speak>" (any case) goes to v1 as SSML.
bool IsSsmlText(std::u16string_view text);

// "key=...&text=...&format=opus&lang=...&speaker=...&quality=hi[&speed=...][&emotion=...]"
std::string LegacyQuery(const TSynthesisRequest& request);
// "text=..." or "ssml=...", then "&format=oggopus&lang=...&voice=...[&speed=...][&emotion=...]"
std::string CloudV1Body(const TSynthesisRequest& request);
// One line of JSON without white space: text, hints (voice, speed, role), output_audio_spec,
// unsafe_mode.
std::string CloudV3Body(const TSynthesisRequest& request);

}  // namespace sonacli

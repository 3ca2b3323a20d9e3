// The tone a request carries to the service, which differs from the tone asked for where the
// routed interface or the voice has no such tone.
#pragma once

#include <string>
#include <string_view>

#include "service/synthesis_request.h"

namespace sonacli {

// The tone word that goes out on `route` for the voice and the full tone word asked for; empty
// when none goes out: "neutral", a tone the legacy interface lacks (it knows "good" and "evil"),
// or one the voice lacks on the cloud v1 interface (which then speaks neutrally). The v3 interface
// takes every tone as a role.
std::u16string SentTone(TServiceInterface route, std::u16string_view voice, std::u16string_view tone);

// Whether a tone asked for is dropped on the way: not neutral, yet not sent.
bool ToneDropped(TServiceInterface route, std::u16string_view voice, std::u16string_view tone);

}  // namespace sonacli

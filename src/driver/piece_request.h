// The synthesis request of one speech piece.
#pragma once

#include <string>
#include <string_view>

#include "service/synthesis_request.h"
#include "text/piece.h"

namespace sonacli {

// The piece's language, voice, rate, tone, channel mode and volume, with `spoken` (its text after
// the dictionaries) and the run's API key.
TSynthesisRequest PieceRequest(const TPiece& piece, std::u16string spoken, std::u16string_view apiKey);

}  // namespace sonacli

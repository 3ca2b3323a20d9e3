// The synthesis request of one speech piece, and what its answer is decoded into.
#pragma once

#include <string>
#include <string_view>

#include "audio/opus_decoder.h"
#include "service/synthesis_request.h"
#include "settings/settings.h"
#include "text/piece.h"

namespace sonacli {

// The piece's language, voice, rate and tone, with `spoken` (its text after the dictionaries) and
// the run's API key.
TSynthesisRequest PieceRequest(const TPiece& piece, std::u16string spoken, std::u16string_view apiKey);

// What the piece changes in its answer: its volume change and channel.
TVolumeAndChannel VolumeAndChannelOf(const TPiece& piece);

// The format the run asks of every answer: the output's rate, and stereo or the answer's channels.
TSpeechTarget SpeechTargetOf(const TSettings& settings);

}  // namespace sonacli

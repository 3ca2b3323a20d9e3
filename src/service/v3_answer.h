// The audio of a cloud v3 answer: a sequence of JSON objects, each carrying a piece of the Ogg Opus
// stream as base64 in result.audioChunk.data.
#pragma once

#include <optional>
#include <string>

namespace sonacli {

// The decoded audio of every chunk of the answer, joined in order; nullopt when the answer holds
// no audio chunk at all (or is not JSON). Each chunk's base64 is decoded on its own, so the
// padding that ends one chunk does not end the audio.
std::optional<std::string> ExtractV3Audio(const std::string& answer);

}  // namespace sonacli

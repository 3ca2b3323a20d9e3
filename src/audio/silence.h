// Silence of the output format: round(ms / 1000 x rate x block align) bytes of zeros, reduced to
// whole frames.
#pragma once

#include <cstdint>
#include <string>

#include "audio/audio_sink.h"
#include "audio/audio_source.h"

namespace sonacli {

// A canonical WAV (header and zeros) of `ms` of silence in `format`, in place of `wav`'s content.
// False, with `wav` left alone, when the format or the length is not usable.
bool MakeSilence(std::string& wav, const TAudioFormat& format, int64_t ms);
// Silence appended to PCM of `format` held in memory.
bool AppendSilence(std::string& pcm, const TAudioFormat& format, int64_t ms);
// Silence appended to a sink, in blocks, so that memory does not grow with its length; even none
// at all is one append (the output begins with it). False when the sink failed, or when the format
// or the length is not usable.
bool AppendSilence(TAudioSink& sink, int64_t ms);

}  // namespace sonacli

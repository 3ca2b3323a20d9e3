// Trimming of the quiet stretches at both ends of a subtitle's speech.
#pragma once

#include <string>

#include "audio/audio_source.h"

namespace sonacli {

// `pcm` holds samples of `format`. The quiet time at each end (1 ms blocks whose mean absolute
// sample is below about 160) is measured and that share of it is cut (`trailingFactor` at the end,
// `leadingFactor` at the start), at least 10 ms at each end. Digital silence (bytes of at most 4)
// that is then left at the end is cut in windows of 18 frames, part of it given back. Samples too
// short for the cuts, or of another format than 16-bit PCM, stay as they are.
void TrimSilence(std::string& pcm, const TAudioFormat& format, double trailingFactor, double leadingFactor);

}  // namespace sonacli

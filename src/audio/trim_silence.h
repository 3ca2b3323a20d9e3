// Trimming of the quiet stretches at both ends of a subtitle's speech.
#pragma once

#include <string>

namespace sonacli {

// `buffer` holds a canonical 16-bit PCM WAV (its header's sizes may be stale). The quiet time at
// each end (1 ms blocks whose mean absolute sample is below about 160) is measured and that share
// of it is cut (`trailingFactor` at the end, `leadingFactor` at the start), at least 10 ms at each
// end. Digital silence (bytes of at most 4) that is then left at the end is cut in windows of 18
// frames, part of it given back. The header is completed. A buffer too short for the cuts, or one
// that is not such a WAV, stays as it is.
void TrimSilence(std::string& buffer, double trailingFactor, double leadingFactor);

}  // namespace sonacli

// Speeding a subtitle's speech up, without a change of pitch, so that it fits the subtitle's time.
#pragma once

#include <cstdint>
#include <string>

namespace sonacli {

// `pcm` holds samples of the given format. When its speech is longer than the available time plus
// 2 %, it is sped up to fit that allowance, but never faster than 1.8 and than the --sub-max limit
// (maxRatePercent, 110 to 200: a tempo of 1.05 at 110, 1.386 at 150, 1.806 at 200). The fitted
// speech is complete: its length is the speech length divided by the tempo. True when the samples
// were changed or already fit; false when nothing was done (an available time or a speech of 200 ms
// or less, another sample format). A failure of the tempo processor raises TAudioError (running
// out of memory, std::bad_alloc) and leaves the samples as they were.
bool FitToDuration(std::string& pcm, int64_t availableMs, int32_t sampleRate, int32_t maxRatePercent,
                   int32_t bitsPerSample, int32_t channels);

}  // namespace sonacli

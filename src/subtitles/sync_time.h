// Times of LRC and SRT output: audio durations and the two stamp formats.
#pragma once

#include <cstdint>
#include <string>

#include "audio/audio_sink.h"

namespace sonacli {

// Milliseconds of PCM in `dataBytes` bytes of the given format, truncated; 0 for no bytes or a format
// without channels, rate or bits.
int64_t PcmDurationMs(int64_t dataBytes, int32_t channels, int32_t sampleRate, int32_t bitsPerSample);

// Milliseconds of audio in the run's output so far, truncated; a missing output gives 0.
int64_t AudioDurationMs(const TAudioSink* output);

// "[mm:ss.xx]": minutes (two digits or more, no hours), seconds, hundredths truncated. Negative
// times are written as 0.
std::u16string FormatLrcTime(int64_t ms);

// "hh:mm:ss,fff"; an end time (isEnd) above 0 is written 1 ms earlier, so that an entry ends before
// the next one starts. Hours grow past two digits. Negative times are written as 0.
std::u16string FormatSrtTime(int64_t ms, bool isEnd);

}  // namespace sonacli

// Widening of every entry by a little time on each side.
#pragma once

#include <cstdint>

#include "subtitles/subtitle.h"

namespace sonacli {

inline constexpr int64_t kSubtitleWidenMs = 50;

// Every entry starts 50 ms earlier (not before 0) and ends 50 ms later.
void WidenSubtitles(SubtitleList& subtitles);

}  // namespace sonacli

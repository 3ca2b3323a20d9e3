#include "subtitles/subtitle_widen.h"

#include <algorithm>

namespace sonacli {

void WidenSubtitles(SubtitleList& subtitles) {
  for (TSubtitle& subtitle : subtitles) {
    subtitle.StartMs = std::max<int64_t>(0, subtitle.StartMs - kSubtitleWidenMs);
    subtitle.EndMs += kSubtitleWidenMs;
  }
}

}  // namespace sonacli

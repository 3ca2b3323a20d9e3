#include "subtitles/timed_caption.h"

#include <utility>

namespace sonacli {

SubtitleList SubtitlesFromCaptions(std::vector<TTimedCaption> captions) {
  SubtitleList subtitles;
  for (TTimedCaption& caption : captions) {
    if (!caption.Text.empty()) {
      subtitles.push_back({caption.TimeMs, 0, std::move(caption.Text)});
    } else if (!subtitles.empty()) {
      subtitles.back().EndMs = caption.TimeMs;
    }
  }
  return subtitles;
}

}  // namespace sonacli

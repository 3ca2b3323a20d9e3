#include "subtitles/timed_caption.h"

#include <utility>

namespace sonacli {

void AddTimedCaption(SubtitleList& subtitles, int64_t timeMs, std::u16string text) {
  if (!text.empty()) {
    subtitles.push_back({timeMs, 0, std::move(text)});
  } else if (!subtitles.empty() && subtitles.back().EndMs == 0 && subtitles.back().StartMs == timeMs) {
    subtitles.pop_back();  // ended as it began: never shown
  } else if (!subtitles.empty()) {
    subtitles.back().EndMs = timeMs;
  }
}

SubtitleList SubtitlesFromCaptions(std::vector<TTimedCaption> captions) {
  SubtitleList subtitles;
  subtitles.reserve(captions.size());
  for (TTimedCaption& caption : captions) AddTimedCaption(subtitles, caption.TimeMs, std::move(caption.Text));
  return subtitles;
}

}  // namespace sonacli

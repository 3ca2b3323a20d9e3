// Captions that carry only a start time (SMI, LRC): each one ends where an empty caption follows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "subtitles/subtitle.h"

namespace sonacli {

struct TTimedCaption {
  int64_t TimeMs = 0;
  std::u16string Text;
};

// A caption with text starts a new entry, an empty one sets the end of the last entry (nothing
// before the first entry); an empty one at the very time the last entry started, before anything
// ended it, removes that entry, which is never shown. An entry that no empty caption follows keeps
// EndMs 0.
void AddTimedCaption(SubtitleList& subtitles, int64_t timeMs, std::u16string text);
// AddTimedCaption for each caption in order.
SubtitleList SubtitlesFromCaptions(std::vector<TTimedCaption> captions);

}  // namespace sonacli

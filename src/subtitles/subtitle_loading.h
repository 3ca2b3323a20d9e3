// The subtitle step of a run: the lines of the subtitle file become the list of entries to voice.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"
#include "subtitles/subtitle.h"

namespace sonacli {

inline constexpr std::u16string_view kUnknownSubtitleFormat = u"Unknown format of subtitles";
inline constexpr std::u16string_view kNoTextInSubtitles = u"No text in subtitles";

struct TSubtitleLoading {
  SubtitleList Subtitles;
  std::u16string_view Error;  // empty on success, else one of the two messages above
};

// Reads the lines with the reader of the format, puts the entries in the order of their start times,
// then joins and widens them. `smiClass` names the class a SAMI file is read in (empty: its first).
// An unknown format gives kUnknownSubtitleFormat; a file without entries kNoTextInSubtitles; either
// way the list is empty.
TSubtitleLoading LoadSubtitles(const std::vector<std::u16string>& lines, TSubtitleFormat format,
                               std::u16string_view smiClass = {});

// LoadSubtitles on raw bytes read as UTF-8 (malformed sequences become U+FFFD) and split into lines:
// one entry for fuzzing the readers, the join and the widening.
TSubtitleLoading LoadSubtitlesFromBytes(std::string_view bytes, TSubtitleFormat format);

}  // namespace sonacli

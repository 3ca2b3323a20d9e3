// Joining of entries whose sentence runs on into the next entry, so that it is spoken as one.
#pragma once

#include <cstddef>

#include "subtitles/subtitle.h"

namespace sonacli {

// Entry i has a next entry that starts less than 1600 ms after it ends (an overlap counts too).
bool IsCloseToNext(const SubtitleList& subtitles, size_t i);

// Entry i ends a thought, judged from its text's end and the start of the next entry's text:
// sentence ends, dialogue dashes and markup at the next start break; commas and colons join; an
// ellipsis or closing bracket joins only when the next text starts in lower case; otherwise the
// case of the next text's first letter decides.
bool IsBreakAfter(const SubtitleList& subtitles, size_t i);

// Joins every run of entries that are close and do not break into its first entry: the texts are
// joined with a space (an ellipsis at the seam is dropped), the end is the last one's end. A joined
// text stops growing once it is longer than 700 characters.
void JoinContinuedSubtitles(SubtitleList& subtitles);

}  // namespace sonacli

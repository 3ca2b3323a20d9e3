// LRC lyrics (.lrc): lines led by one or more "[mm:ss.xx]" time tags.
#pragma once

#include <string>
#include <vector>

#include "subtitles/subtitle.h"

namespace sonacli {

// Each time tag of a lyrics line gives its text at that time; ID tags and other lines are ignored,
// but for the first "[offset:ms]" tag, which moves every time earlier by that many ms (later when
// negative; no time goes below 0). The word times of enhanced LRC ("<00:10.50>") are dropped from
// the text. The captions are sorted by time, those with equal times in file order; an empty text
// ends the entry before it.
SubtitleList ReadLrc(const std::vector<std::u16string>& lines);

}  // namespace sonacli

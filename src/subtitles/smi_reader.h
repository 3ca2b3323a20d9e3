// SAMI (.smi): captions that start at "<SYNC Start=ms>" and run to the next such tag.
#pragma once

#include <string>
#include <vector>

#include "subtitles/subtitle.h"

namespace sonacli {

// Line breaks and "<br>" become spaces. Each "<sync start=" (in any case) gives one caption: its
// time is the first run of digits before the tag's ">", its text what follows up to the next such
// tag, without tags and with "&nbsp;" as a space. Reading stops at a tag without ">" or without a
// digit. An empty caption ends the entry before it.
SubtitleList ReadSmi(const std::vector<std::u16string>& lines);

}  // namespace sonacli

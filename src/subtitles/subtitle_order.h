// Putting the entries in the order of their start times.
#pragma once

#include "subtitles/subtitle.h"

namespace sonacli {

// Sorts the entries by start time; entries that start together keep the order of the file. Files
// group their lines (an SSA file's signs and songs after the dialogue), while the speech must come
// in time order.
void OrderByStartTime(SubtitleList& subtitles);

}  // namespace sonacli

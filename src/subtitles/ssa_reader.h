// SubStation Alpha and Advanced SubStation Alpha (.ssa, .ass): the Dialogue lines of the [Events]
// section, laid out by its Format line.
#pragma once

#include <string>
#include <vector>

#include "subtitles/subtitle.h"

namespace sonacli {

// The first "Format:" line of the events section names the fields; without a Start, End and Text
// field nothing is read. Each "Dialogue:" line of the section is split at commas into that many
// fields, the last one taking the rest of the line. The text loses its override blocks with the
// drawings they switch on and its angle tags, keeps language switches, and "\N", "\n" and "\h"
// become spaces. Entries without text or without length are dropped.
SubtitleList ReadSsa(const std::vector<std::u16string>& lines);

}  // namespace sonacli

// SubRip (.srt): numbered entries of a timing line and text lines, separated by empty lines.
#pragma once

#include <string>
#include <vector>

#include "subtitles/subtitle.h"

namespace sonacli {

// An empty line ends an entry only when an entry number (a line of digits) or the end follows;
// other empty lines belong to the entry's text. The line after an entry number must be a timing
// line, else reading stops with the entries read so far. Entries without text or without length
// are dropped. Times may have "," or "." before the fraction; SSA override blocks, well-formed
// tags and SSA break codes are markup, not text (CleanSrtText).
SubtitleList ReadSrt(const std::vector<std::u16string>& lines);

}  // namespace sonacli

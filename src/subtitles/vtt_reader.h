// WebVTT (.vtt): a "WEBVTT" line, a header, then cues of an optional identifier, a timing line and
// text lines, with NOTE, STYLE and REGION blocks between them.
#pragma once

#include <string>
#include <vector>

#include "subtitles/subtitle.h"

namespace sonacli {

// Nothing is read unless the first line begins with "WEBVTT". The header lines after it, up to the
// first empty line, are skipped. A cue starts at a line holding "-->"; the line before it, when it
// holds no "-->", is its identifier, whatever its text. After an empty line, a NOTE, STYLE or
// REGION block is skipped up to the next empty line. An empty line ends a cue when a cue, such a
// block, a numeric identifier or the end follows; otherwise it belongs to the cue's text, as in
// SRT. A numeric identifier that no timing line follows stops reading. Cue settings after the end
// time are dropped, and so are cues without text or without length. Character references such as
// "&amp;" are decoded (CleanVttText).
SubtitleList ReadVtt(const std::vector<std::u16string>& lines);

}  // namespace sonacli

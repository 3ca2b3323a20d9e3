// SAMI (.smi): captions that start at "<SYNC Start=ms>" and run to the next such tag.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "subtitles/subtitle.h"

namespace sonacli {

// Line breaks and "<br>" become spaces. Each "<sync start=" (in any case) gives one caption: its
// time is the first run of digits before the tag's ">", its text what follows up to the next such
// tag, without tags and with character references decoded ("&nbsp;" is a space). Reading stops at a
// tag without ">" or without a digit. An empty caption ends the entry before it.
//
// A file of several languages holds each in paragraphs of its own class ('<P Class=ENCC>'); only
// one class is read: `className` (in any case), or when that is empty the first class a paragraph
// names. Paragraphs without a class are always read; a caption whose paragraphs are all of other
// classes neither starts nor ends an entry.
SubtitleList ReadSmi(const std::vector<std::u16string>& lines, std::u16string_view className = {});

}  // namespace sonacli

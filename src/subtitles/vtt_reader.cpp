#include "subtitles/vtt_reader.h"

#include <array>

#include "subtitles/cue_builder.h"
#include "subtitles/subtitle_text.h"
#include "subtitles/subtitle_time.h"

namespace sonacli {

namespace {

using Lines = std::vector<std::u16string>;

// A timing line, or an identifier followed by one.
bool StartsCue(const Lines& lines, size_t i) {
  return HoldsArrow(lines[i]) || (i + 1 < lines.size() && HoldsArrow(lines[i + 1]));
}

bool StartsSkippedBlock(std::u16string_view line) {
  constexpr std::array<std::u16string_view, 3> kKeywords = {u"NOTE", u"STYLE", u"REGION"};
  for (std::u16string_view keyword : kKeywords) {
    if (line.starts_with(keyword)) return true;
  }
  return false;
}

// A line that begins with a number up to its first space, as numbered files have before each cue.
bool IsCueNumber(std::u16string_view line) {
  return ParseDecimalInteger(line.substr(0, line.find(u' '))).has_value();
}

size_t NextNonBlank(const Lines& lines, size_t i) {
  while (i < lines.size() && IsBlankLine(lines[i])) ++i;
  return i;
}

size_t NextBlank(const Lines& lines, size_t i) {
  while (i < lines.size() && !IsBlankLine(lines[i])) ++i;
  return i;
}

}  // namespace

SubtitleList ReadVtt(const Lines& lines) {
  SubtitleList subtitles;
  if (lines.empty() || !lines[0].starts_with(u"WEBVTT")) return subtitles;
  subtitles.reserve(lines.size() / 3);  // a cue takes three lines at least, empty line included
  size_t i = 1;
  while (i < lines.size() && !IsBlankLine(lines[i]) && !StartsCue(lines, i)) ++i;  // the header
  TCueBuilder cue(&CleanVttText);
  while (i < lines.size()) {
    if (!IsBlankLine(lines[i])) {
      if (HoldsArrow(lines[i])) {
        cue.Finish(subtitles);
        cue.Start(lines[i], &ParseVttTime);
      } else if (cue.Building()) {
        cue.AddLine(lines[i]);
      }  // else an identifier or a stray line outside any cue
      ++i;
      continue;
    }
    const size_t next = NextNonBlank(lines, i);
    if (next == lines.size()) break;
    if (StartsCue(lines, next)) {
      cue.Finish(subtitles);
      i = next;
    } else if (StartsSkippedBlock(lines[next])) {
      cue.Finish(subtitles);
      i = NextBlank(lines, next);
    } else if (IsCueNumber(lines[next])) {
      cue.Finish(subtitles);
      const size_t timing = NextNonBlank(lines, next + 1);
      if (timing == lines.size() || !HoldsArrow(lines[timing])) break;
      i = timing;
    } else {
      i = next;  // an empty line inside the cue's text
    }
  }
  cue.Finish(subtitles);
  return subtitles;
}

}  // namespace sonacli

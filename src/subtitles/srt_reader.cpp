#include "subtitles/srt_reader.h"

#include "subtitles/cue_builder.h"
#include "subtitles/subtitle_text.h"
#include "subtitles/subtitle_time.h"

namespace sonacli {

namespace {

// A line of digits (spaces after them allowed).
bool IsEntryNumber(std::u16string_view line) {
  return !line.empty() && line[0] >= u'0' && line[0] <= u'9' && ParseDecimalInteger(TrimmedView(line));
}

}  // namespace

SubtitleList ReadSrt(const std::vector<std::u16string>& lines) {
  SubtitleList subtitles;
  subtitles.reserve(lines.size() / 3);  // an entry takes three lines at least, empty line included
  TCueBuilder cue(&CleanSrtText);
  bool expectingEntry = true;
  size_t i = 0;
  while (i < lines.size()) {
    if (IsBlankLine(lines[i])) {
      const bool last = i + 1 == lines.size();
      if (last || IsEntryNumber(lines[i + 1])) {
        cue.Finish(subtitles);
        expectingEntry = true;
      }
      ++i;
    } else if (expectingEntry) {
      // This line is the entry number; the next non-empty line must be the timing line.
      expectingEntry = false;
      size_t timing = i + 1;
      while (timing < lines.size() && IsBlankLine(lines[timing])) ++timing;
      if (timing == lines.size() || !HoldsArrow(lines[timing])) break;
      cue.Start(lines[timing], &ParseSrtTime);
      i = timing + 1;
    } else {
      cue.AddLine(lines[i]);
      ++i;
    }
  }
  cue.Finish(subtitles);
  return subtitles;
}

}  // namespace sonacli

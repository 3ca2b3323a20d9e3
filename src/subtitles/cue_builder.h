// One cue of an SRT or WebVTT file as it is read: its timing line, then its text lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "subtitles/subtitle.h"

namespace sonacli {

// True when the line holds "-->", the mark of a timing line.
bool HoldsArrow(std::u16string_view line);

class TCueBuilder {
 public:
  using TimeParser = int64_t (*)(std::u16string_view);
  using TextCleaner = std::u16string (*)(std::u16string_view);

  // `clean` makes the cue's text as spoken from its lines joined (CleanSrtText, CleanVttText).
  explicit TCueBuilder(TextCleaner clean) : clean_(clean) {}

  // Starts a cue from a timing line: the start time is the text before "-->", the end time the
  // text after it up to its first space or tab (cue settings and position coordinates are dropped).
  void Start(std::u16string_view timingLine, TimeParser parse);
  // Appends a text line, trimmed, with one space between lines.
  void AddLine(std::u16string_view line);
  // Ends the cue: its cleaned text becomes an entry unless it is empty or the cue lasts no time
  // (its end time equals its start time: nothing is shown, so nothing is said).
  void Finish(SubtitleList& subtitles);
  bool Building() const { return building_; }

 private:
  TextCleaner clean_;
  bool building_ = false;
  int64_t startMs_ = 0;
  int64_t endMs_ = 0;
  std::u16string text_;
};

}  // namespace sonacli

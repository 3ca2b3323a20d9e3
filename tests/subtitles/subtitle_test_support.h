// Helpers of the subtitle tests: file text as lines, readable entries in failure messages.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "common/unicode_text.h"
#include "subtitles/subtitle.h"

namespace sonacli {

inline void PrintTo(const TSubtitle& subtitle, std::ostream* out) {
  *out << "{" << subtitle.StartMs << ", " << subtitle.EndMs << ", \"" << ToUtf8(subtitle.Text) << "\"}";
}

namespace testing {

// The lines of a file's text, as the input layer hands them over.
inline std::vector<std::u16string> Lines(std::u16string_view text) {
  return SplitIntoLines(text);
}

// One row of a reader's table: a file's text and the entries it must give.
struct ReaderCase {
  const char* what;
  std::u16string_view file;
  SubtitleList expected;
};

}  // namespace testing
}  // namespace sonacli

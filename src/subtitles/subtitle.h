// One timed entry of a subtitle file and the ordered list of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonacli {

struct TSubtitle {
  int64_t StartMs = 0;
  int64_t EndMs = 0;    // 0 until a reader sets it
  std::u16string Text;  // one line, cleaned by the reader

  bool operator==(const TSubtitle&) const = default;
};

// Readers append in the order they meet the entries (the LRC reader sorts); LoadSubtitles then
// puts them in the order of their start times.
using SubtitleList = std::vector<TSubtitle>;

}  // namespace sonacli

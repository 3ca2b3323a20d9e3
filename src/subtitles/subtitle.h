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

// In the order the reader met the entries; only the LRC reader sorts.
using SubtitleList = std::vector<TSubtitle>;

}  // namespace sonacli

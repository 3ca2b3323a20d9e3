#include "subtitles/subtitle_order.h"

#include <algorithm>

namespace sonacli {

void OrderByStartTime(SubtitleList& subtitles) {
  const auto earlier = [](const TSubtitle& a, const TSubtitle& b) { return a.StartMs < b.StartMs; };
  if (!std::is_sorted(subtitles.begin(), subtitles.end(), earlier))
    std::stable_sort(subtitles.begin(), subtitles.end(), earlier);
}

}  // namespace sonacli

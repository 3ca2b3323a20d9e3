#include "subtitles/subtitle_time_available.h"

#include <algorithm>
#include <cmath>

#include "subtitles/subtitle_widen.h"

namespace sonacli {

namespace {

constexpr int64_t kGapAfterLastMs = 1000;
constexpr int64_t kGapKeptMs = 200;
constexpr int64_t kMaxExtraMs = 1700;
constexpr int64_t kSmallDelayMs = 100;

}  // namespace

std::optional<TTimeAvailable> SubtitleTimeAvailable(const SubtitleList& subtitles, size_t j,
                                                    int64_t positionMs) {
  if (j >= subtitles.size()) return std::nullopt;
  const TSubtitle& entry = subtitles[j];
  if (entry.EndMs - entry.StartMs <= 2 * kSubtitleWidenMs) return std::nullopt;
  const int64_t delay = std::max<int64_t>(0, positionMs - entry.StartMs);
  const int64_t gap = j + 1 < subtitles.size() ? subtitles[j + 1].StartMs - entry.EndMs : kGapAfterLastMs;
  int64_t extra = std::min(gap < kGapKeptMs ? 0 : gap - kGapKeptMs, kMaxExtraMs);
  extra = delay > extra ? 0 : extra - delay;
  const int64_t available = entry.EndMs - entry.StartMs + extra;
  const double allowance = delay <= kSmallDelayMs ? 1.03 : 1.02;
  const auto threshold = static_cast<int64_t>(std::nearbyint(static_cast<double>(available) * allowance));
  return TTimeAvailable{available, threshold};
}

}  // namespace sonacli

// How long the speech of an entry may last, for fitting it to its time (--sub-fit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "subtitles/subtitle.h"

namespace sonacli {

struct TTimeAvailable {
  int64_t AvailableMs = 0;  // the time the speech is fitted into
  int64_t ThresholdMs = 0;  // speech longer than this is fitted

  bool operator==(const TTimeAvailable&) const = default;
};

// For entry j of the joined and widened list, whose speech begins at `positionMs` of the output:
// its own time plus up to 1700 ms of the gap to the next entry beyond the first 200 ms (a gap of
// 1000 ms after the last entry), less what the speech starts late. The threshold allows 3 % more,
// 2 % when the speech starts more than 100 ms late. Nothing, so that the speech is not fitted,
// when the entry spans no more than its widening: its end was not after its start, as with an SMI
// or LRC entry that nothing ended (end 0) or times out of order.
std::optional<TTimeAvailable> SubtitleTimeAvailable(const SubtitleList& subtitles, size_t j,
                                                    int64_t positionMs);

}  // namespace sonacli

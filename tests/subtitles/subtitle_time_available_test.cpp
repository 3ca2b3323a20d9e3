#include "subtitles/subtitle_time_available.h"

#include <gtest/gtest.h>

#include "subtitle_test_support.h"

namespace sonacli {
namespace {

TEST(SubtitleTimeAvailable, AddsPartOfTheGapLessTheDelay) {
  struct Case {
    int64_t nextStartMs;  // 0: the entry is the last one
    int64_t positionMs;
    TTimeAvailable expected;
  };
  // The entry runs from 1000 to 3000 ms.
  const Case cases[] = {
      {4000, 1000, {2800, 2884}},  // gap 1000: 800 extra; on time: 3 % more
      {4000, 500, {2800, 2884}},   // early speech is no delay
      {4000, 1100, {2700, 2781}},  // 100 ms late still allows 3 %
      {4000, 1300, {2500, 2550}},  // later: 2 %
      {4000, 2000, {2000, 2040}},  // a delay beyond the extra leaves the entry's own time
      {0, 1000, {2800, 2884}},     // after the last entry the gap counts as 1000
      {3150, 1000, {2000, 2060}},  // a gap below 200 adds nothing
      {9000, 1000, {3700, 3811}},  // at most 1700 extra
      {2500, 1000, {2000, 2060}},  // an overlap adds nothing
  };
  for (const Case& c : cases) {
    SubtitleList subtitles{{1000, 3000, u"a"}};
    if (c.nextStartMs != 0) subtitles.push_back({c.nextStartMs, c.nextStartMs + 1000, u"b"});
    EXPECT_EQ(SubtitleTimeAvailable(subtitles, 0, c.positionMs), c.expected)
        << c.nextStartMs << " " << c.positionMs;
  }
}

TEST(SubtitleTimeAvailable, NoFittingForAnEntryWithoutTimeOfItsOwn) {
  // As widened: an SMI entry at 10 s that nothing ended, one at 0, and one whose times are reversed.
  const SubtitleList subtitles{{9950, 50, u"a"}, {0, 50, u"b"}, {4950, 3050, u"c"}, {20000, 20101, u"d"}};
  EXPECT_FALSE(SubtitleTimeAvailable(subtitles, 0, 9950));
  EXPECT_FALSE(SubtitleTimeAvailable(subtitles, 1, 0));
  EXPECT_FALSE(SubtitleTimeAvailable(subtitles, 2, 4950));
  EXPECT_TRUE(SubtitleTimeAvailable(subtitles, 3, 20000));
  EXPECT_FALSE(SubtitleTimeAvailable(subtitles, 4, 0));
}

}  // namespace
}  // namespace sonacli

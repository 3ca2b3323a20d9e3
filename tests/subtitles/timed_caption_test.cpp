#include "subtitles/timed_caption.h"

#include <gtest/gtest.h>

#include "subtitle_test_support.h"

namespace sonacli {
namespace {

TEST(TimedCaption, EmptyCaptionsEndTheEntryBefore) {
  const SubtitleList subtitles =
      SubtitlesFromCaptions({{100, u""}, {200, u"a"}, {300, u""}, {400, u""}, {500, u"b"}, {600, u"c"}});
  EXPECT_EQ(subtitles, (SubtitleList{{200, 400, u"a"}, {500, 0, u"b"}, {600, 0, u"c"}}));
}

TEST(TimedCaption, AnEntryEndedAsItBeganIsDropped) {
  // "b" ends the moment it starts.
  const SubtitleList subtitles =
      SubtitlesFromCaptions({{200, u"a"}, {300, u""}, {500, u"b"}, {500, u""}, {600, u"c"}});
  EXPECT_EQ(subtitles, (SubtitleList{{200, 300, u"a"}, {600, 0, u"c"}}));
}

}  // namespace
}  // namespace sonacli

#include "subtitles/subtitle_widen.h"

#include <gtest/gtest.h>

#include "subtitle_test_support.h"

namespace sonacli {
namespace {

TEST(SubtitleWiden, Widens50MsOnEachSideNotBeforeZero) {
  SubtitleList subtitles{{30, 900, u"a"}, {5000, 0, u"b"}, {50, 60, u"c"}};
  WidenSubtitles(subtitles);
  EXPECT_EQ(subtitles, (SubtitleList{{0, 950, u"a"}, {4950, 50, u"b"}, {0, 110, u"c"}}));
}

}  // namespace
}  // namespace sonacli

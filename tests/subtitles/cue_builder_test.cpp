#include "subtitles/cue_builder.h"

#include <gtest/gtest.h>

#include "subtitle_test_support.h"
#include "subtitles/subtitle_text.h"
#include "subtitles/subtitle_time.h"

namespace sonacli {
namespace {

TEST(CueBuilder, TimingLineAndText) {
  SubtitleList subtitles;
  TCueBuilder cue(&CleanVttText);
  cue.Finish(subtitles);  // nothing started: nothing to finish
  EXPECT_FALSE(cue.Building());
  cue.Start(u"00:01.000-->\t 00:02.500\tline:0", &ParseVttTime);
  EXPECT_TRUE(cue.Building());
  cue.AddLine(u"  <i>one</i> ");
  cue.AddLine(u"two\t");
  cue.Finish(subtitles);
  cue.Finish(subtitles);  // a second finish adds nothing
  EXPECT_EQ(subtitles, (SubtitleList{{1000, 2500, u"one two"}}));
  EXPECT_TRUE(HoldsArrow(u"a --> b"));
  EXPECT_FALSE(HoldsArrow(u"a -> b"));
}

}  // namespace
}  // namespace sonacli

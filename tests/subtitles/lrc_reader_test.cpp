#include "subtitles/lrc_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "subtitle_test_support.h"

namespace sonacli {
namespace {

using testing::Lines;

using Case = testing::ReaderCase;

TEST(LrcReader, ReadsTimedLines) {
  const Case cases[] = {
      {"ID tags are ignored, a line without text ends the entry before it",
       u"[ar:Artist]\n[ti:Title]\n[00:05.00]First\n[00:07.50]\n[00:08.00] Second ",
       {{5000, 7500, u"First"}, {8000, 0, u"Second"}}},
      {"a line with several tags gives one entry per tag, sorted by time",
       u"[00:12.00][01:15.50]Chorus\n[00:30.00]Verse",
       {{12000, 0, u"Chorus"}, {30000, 0, u"Verse"}, {75500, 0, u"Chorus"}}},
      {"equal times keep the order of the file",
       u"[00:10.00]B\n[00:10.00]A\n[00:05.00]C",
       {{5000, 0, u"C"}, {10000, 0, u"B"}, {10000, 0, u"A"}}},
      {"taking tags stops at one that is no time tag",
       u"[00:01.00] [xx]text\n[1:02.00]short minutes",
       {{1000, 0, u"[xx]text"}}},
      {"a tag with a malformed time is at 0", u"[00:05.00]B\n[00:1x.00]A", {{0, 0, u"A"}, {5000, 0, u"B"}}},
      {"no lyrics lines", u"[ar:x]\nplain text\n[0", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadLrc(Lines(c.file)), c.expected) << c.what;
}

TEST(LrcReader, AppliesTheOffsetAndDropsWordTimes) {
  const Case cases[] = {
      {"a positive offset makes the lyrics come sooner",
       u"[ar:x]\n[offset:+500]\n[00:05.00]A\n[00:07.00]\n[00:00.20]B",
       {{0, 0, u"B"}, {4500, 6500, u"A"}}},
      {"a negative one later, in any case, anywhere in the file; only the first counts",
       u"[00:05.00]A\n[Offset: -250 ]\n[offset:1000]",
       {{5250, 0, u"A"}}},
      {"an offset that is no number changes nothing", u"[offset:soon]\n[00:05.00]A", {{5000, 0, u"A"}}},
      {"enhanced LRC: the word times are not said",
       u"[00:10.00]<00:10.00>Some <00:10.50> words<00:11.20>\n[00:12.00] <00:12.00> <1:12.5>alone <0:13>",
       {{10000, 0, u"Some words"}, {12000, 0, u"alone"}}},
      {"what only looks like a word time stays",
       u"[00:10.00]I <3 you <00:1x> <00:10.> <a:10>",
       {{10000, 0, u"I <3 you <00:1x> <00:10.> <a:10>"}}},
      {"a line of word times only is empty and ends the entry",
       u"[00:10.00]A\n[00:11.00]<00:11.00>",
       {{10000, 11000, u"A"}}},
      {"a caption that ends as it begins is dropped",
       u"[00:05.00]A\n[00:05.00]\n[00:06.00]B",
       {{6000, 0, u"B"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadLrc(Lines(c.file)), c.expected) << c.what;
}

TEST(LrcReader, LimitsTheCopiesOfOneLongLine) {
  // 100,000 tags before a text of 10,000 characters would copy a billion characters.
  std::u16string line;
  for (int i = 0; i < 100000; ++i) line += u"[00:01.00]";
  line += std::u16string(10000, u'x');
  const SubtitleList subtitles = ReadLrc({line});
  ASSERT_EQ(subtitles.size(), 6u);  // 65536 characters of captions
  EXPECT_EQ(subtitles.front().Text.size(), 10000u);
}

}  // namespace
}  // namespace sonacli

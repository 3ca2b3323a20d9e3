#include "subtitles/smi_reader.h"

#include <gtest/gtest.h>

#include "subtitle_test_support.h"

namespace sonacli {
namespace {

using testing::Lines;

using Case = testing::ReaderCase;

TEST(SmiReader, ReadsSyncBlocks) {
  const Case cases[] = {
      {"captions end at an empty caption",
       u"<SAMI><BODY>\n<SYNC Start=1000><P Class=ENCC>Hello<br>world\n<SYNC Start=2500><P Class=ENCC>&nbsp;\n"
       u"<SYNC Start=3000><P>Next  line\r\n  goes on\n</BODY></SAMI>",
       {{1000, 2500, u"Hello world"}, {3000, 0, u"Next line goes on"}}},
      {"the start time is the first number of the tag, not all its digits joined",
       u"<sync start=1000 end=2000>A<sync start=\"3000\">B",
       {{1000, 0, u"A"}, {3000, 0, u"B"}}},
      {"an empty caption before any entry sets nothing",
       u"<SYNC Start=0>&NBSP;<SYNC Start=500>A",
       {{500, 0, u"A"}}},
      {"language switches stay, other blocks go",
       u"<SYNC Start=10>{{lang=en-US}}Hi{{pause=100}}<BR/>there<Br />you",
       {{10, 0, u"{{lang=en-US}}Hi there you"}}},
      {"reading stops at a tag without \">\"", u"<SYNC Start=10>A<SYNC Start=20 B", {{10, 0, u"A"}}},
      {"reading stops at a tag without digits",
       u"<SYNC Start=10>A<SYNC Start=x>B<SYNC Start=30>C",
       {{10, 0, u"A"}}},
      {"a time too long is 0", u"<SYNC Start=99999999999>A", {{0, 0, u"A"}}},
      {"no sync tag", u"<SAMI>just text</SAMI>", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadSmi(Lines(c.file)), c.expected) << c.what;
}

}  // namespace
}  // namespace sonacli

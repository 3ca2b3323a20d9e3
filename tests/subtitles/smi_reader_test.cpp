#include "subtitles/smi_reader.h"

#include <gtest/gtest.h>

#include <string>

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
      {"character references are decoded",
       u"<SYNC Start=10><P>Tom &amp; Jerry &lt;3&NBSP;&#233;t&eacute;<SYNC Start=20><P>&#160;",
       {{10, 20, u"Tom & Jerry <3 \u00E9t\u00E9"}}},
      {"a caption that ends as it begins is dropped",
       u"<SYNC Start=10>A<SYNC Start=10>&nbsp;<SYNC Start=30>B",
       {{30, 0, u"B"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadSmi(Lines(c.file)), c.expected) << c.what;
}

constexpr std::u16string_view kHead =
    u"<SAMI><HEAD><STYLE TYPE=\"text/css\"><!--\n.ENUSCC { Name: English; lang: en-US; }\n"
    u".KRCC { Name: Korean; lang: ko-KR; }\n--></STYLE></HEAD><BODY>\n";

// Files of two languages, each in its own class, with the class read.
TEST(SmiReader, ReadsOneClassOfABilingualFile) {
  const std::u16string shared =
      std::u16string(kHead) +
      u"<SYNC Start=1000><P Class=ENUSCC>Hello<P Class=KRCC>\uC548\uB155\n"
      u"<SYNC Start=2000><P Class=ENUSCC>&nbsp;<P Class=KRCC>&nbsp;\n"
      u"<SYNC Start=3000><P Class=\"enuscc\" ID=x>Bye</P><P class = 'KRCC'>\uC798 \uAC00</P>\n";
  const std::u16string separate =
      std::u16string(kHead) +
      u"<SYNC Start=1000><P Class=KRCC>\uC548\uB155\n<SYNC Start=1000><P Class=ENUSCC>Hello\n"
      u"<SYNC Start=2000><P Class=ENUSCC>&nbsp;\n<SYNC Start=2500><P Class=KRCC>&nbsp;\n"
      u"<SYNC Start=3000><P>Both\n";
  const struct {
    const char* what;
    std::u16string_view file;
    std::u16string_view className;
    SubtitleList expected;
  } cases[] = {
      {"the first class by default", shared, u"", {{1000, 2000, u"Hello"}, {3000, 0, u"Bye"}}},
      {"a class named in any case",
       shared,
       u"krcc",
       {{1000, 2000, u"\uC548\uB155"}, {3000, 0, u"\uC798 \uAC00"}}},
      {"another class's syncs neither start nor end an entry; paragraphs without class are read",
       separate,
       u"ENUSCC",
       {{1000, 2000, u"Hello"}, {3000, 0, u"Both"}}},
      {"the first class named is the first read",
       separate,
       u"",
       {{1000, 2500, u"\uC548\uB155"}, {3000, 0, u"Both"}}},
      {"a class the file lacks gives what has no class", shared, u"FRCC", {}},
      {"a file without classes is read whole, whatever the class",
       u"<SYNC Start=5><P>One<SYNC Start=6><P>Two",
       u"ENCC",
       {{5, 0, u"One"}, {6, 0, u"Two"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadSmi(Lines(c.file), c.className), c.expected) << c.what;
}

}  // namespace
}  // namespace sonacli

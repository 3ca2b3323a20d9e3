#include "subtitles/srt_reader.h"

#include <gtest/gtest.h>

#include "subtitle_test_support.h"

namespace sonacli {
namespace {

using testing::Lines;

using Case = testing::ReaderCase;

TEST(SrtReader, ReadsEntries) {
  const Case cases[] = {
      {"two entries, a text of two lines joined by a space",
       u"1\r\n00:00:01,000 --> 00:00:02,500\r\nHello\r\nworld\r\n\r\n2\r\n00:00:03,000 --> "
       u"00:00:04,000\r\nBye\r\n",
       {{1000, 2500, u"Hello world"}, {3000, 4000, u"Bye"}}},
      {"an empty line followed by text belongs to the entry",
       u"1\n00:00:01,000 --> 00:00:02,000\nA\n\nB\n\n2\n00:00:03,000 --> 00:00:04,000\nC",
       {{1000, 2000, u"A B"}, {3000, 4000, u"C"}}},
      {"entries without numbers give nothing",
       u"00:00:01,000 --> 00:00:02,000\nA\n\n00:00:03,000 --> 00:00:04,000\nB",
       {}},
      {"a number without a timing line stops reading",
       u"1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\nB\n\n3\n00:00:05,000 --> 00:00:06,000\nC",
       {{1000, 2000, u"A"}}},
      {"position coordinates after the end time are cut off",
       u"1\n00:00:01,000 --> 00:00:02,000  X1:100 X2:600 Y1:50 Y2:80\nA",
       {{1000, 2000, u"A"}}},
      {"tags go, language switches stay, other double-brace blocks go",
       u"1\n00:00:01,000 --> 00:00:02,000\n<i>{{lang=en-US}}Hi</i>{{pause=5}} there",
       {{1000, 2000, u"{{lang=en-US}}Hi there"}}},
      {"an entry without text is dropped, and only that one",
       u"1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n00:00:03,000 --> 00:00:04,000\n<i></i>\n\n\n",
       {{1000, 2000, u"A"}}},
      {"an entry of tags only at the very end leaves the one before",
       u"1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n00:00:03,000 --> 00:00:04,000\n<b>\n",
       {{1000, 2000, u"A"}}},
      {"times out of order stay as they are",
       u"1\n00:00:05,000 --> 00:00:06,000\nA\n\n2\n00:00:01,000 --> 00:00:00,500\nB",
       {{5000, 6000, u"A"}, {1000, 500, u"B"}}},
      {"leading and space-only empty lines, a blank between number and timing line",
       u"\n \n1\n\n00:00:01,000-->00:00:02,000\n  A  \n \t\n2 \n00:00:03,000 --> 00:00:04,000\nB",
       {{1000, 2000, u"A"}, {3000, 4000, u"B"}}},
      {"a malformed time is 0", u"1\n00:0x:01,000 --> 00:00:02,000\nA", {{0, 2000, u"A"}}},
      {"a number as the last line gives nothing more",
       u"1\n00:00:01,000 --> 00:00:02,000\nA\n\n2",
       {{1000, 2000, u"A"}}},
      {"empty input", u"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadSrt(Lines(c.file)), c.expected) << c.what;
}

// Files from other programs, with what used to be spoken or mistimed.
TEST(SrtReader, ReadsWhatOtherProgramsWrite) {
  const Case cases[] = {
      {"times with \".\" before the fraction, as in many files",
       u"1\n00:00:05.500 --> 00:00:07.250\nLate\n\n2\n00:00:08,000 --> 00:00:09.5\nMixed",
       {{5500, 7250, u"Late"}, {8000, 9500, u"Mixed"}}},
      {"SSA override blocks, line breaks and hard spaces are markup",
       u"1\n00:00:01,000 --> 00:00:02,000\n{\\an8}Top\\Nof the\\hscreen\n{\\i1}more{\\i0} {laughs}",
       {{1000, 2000, u"Top of the screen more {laughs}"}}},
      {"a drawing is no text",
       u"1\n00:00:01,000 --> 00:00:02,000\n{\\p1}m 0 0 l 716 0 716 70 0 70{\\p0}Sign\n\n"
       u"2\n00:00:03,000 --> 00:00:04,000\n{\\an7\\p1}m 0 0 l 10 0 10 10",
       {{1000, 2000, u"Sign"}}},
      {"a \"<\" that opens no well-formed tag is text",
       u"1\n00:00:01,000 --> 00:00:02,000\n2<3,5>1,4<6\n<font color=\"#00ff00\">x</font> < y",
       {{1000, 2000, u"2<3,5>1,4<6 x < y"}}},
      {"a cue that lasts no time is dropped",
       u"1\n00:00:01,000 --> 00:00:01,000\nNever shown\n\n2\n00:00:02,000 --> 00:00:03,000\nShown",
       {{2000, 3000, u"Shown"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadSrt(Lines(c.file)), c.expected) << c.what;
}

}  // namespace
}  // namespace sonacli

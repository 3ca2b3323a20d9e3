#include "subtitles/vtt_reader.h"

#include <gtest/gtest.h>

#include "subtitle_test_support.h"

namespace sonacli {
namespace {

using testing::Lines;

using Case = testing::ReaderCase;

TEST(VttReader, ReadsCues) {
  const Case cases[] = {
      {"numbered cues with cue settings",
       u"WEBVTT\n\n1\n00:01.000 --> 00:02.000 align:start position:10%\nHello\nthere\n\n2\n01:00:03.500 --> "
       u"01:00:04.000\nBye",
       {{1000, 2000, u"Hello there"}, {3603500, 3604000, u"Bye"}}},
      {"cues without identifiers, as video sites and speech recognisers write them",
       u"WEBVTT\nKind: captions\nLanguage: en\n\n00:00:01.000 --> 00:00:02.000\nOne\n\n00:00:03.000 --> "
       u"00:00:04.000\nTwo\n",
       {{1000, 2000, u"One"}, {3000, 4000, u"Two"}}},
      {"text identifiers",
       u"WEBVTT\n\nintro\n00:01.000 --> 00:02.000\nOne\n\nsegment-2 part\n00:03.000 --> 00:04.000\nTwo",
       {{1000, 2000, u"One"}, {3000, 4000, u"Two"}}},
      {"NOTE, STYLE and REGION blocks are skipped",
       u"WEBVTT\n\nSTYLE\n::cue { color: red }\n\nREGION\nid:fred\n\nNOTE a comment\nthat runs "
       u"on\n\n00:01.000 --> "
       u"00:02.000\nOne\n\nNOTE\nbetween cues\n\n00:03.000 --> 00:04.000\nTwo",
       {{1000, 2000, u"One"}, {3000, 4000, u"Two"}}},
      {"an empty line before text that starts no cue belongs to the cue, as in numbered files",
       u"WEBVTT\n\n1\n00:01.000 --> 00:02.000\nA\n\nB\n\n2\n00:03.000 --> 00:04.000\nC",
       {{1000, 2000, u"A B"}, {3000, 4000, u"C"}}},
      {"a numeric identifier without a timing line stops reading",
       u"WEBVTT\n\n1\n00:01.000 --> 00:02.000\nA\n\n2\nB\n\n00:05.000 --> 00:06.000\nC",
       {{1000, 2000, u"A"}}},
      {"a timing line right after text starts the next cue",
       u"WEBVTT\n\n00:01.000 --> 00:02.000\nA\n00:03.000 --> 00:04.000\nB",
       {{1000, 2000, u"A"}, {3000, 4000, u"B"}}},
      {"a first cue right under the WEBVTT line",
       u"WEBVTT\n00:01.000 --> 00:02.000\nA",
       {{1000, 2000, u"A"}}},
      {"tags go, a cue of tags only is dropped",
       u"WEBVTT\n\n00:01.000 --> 00:02.000\n<v Roger><c.loud>Hi</c>\n\n00:03.000 --> 00:04.000\n<i></i>",
       {{1000, 2000, u"Hi"}}},
      {"no WEBVTT on the first line", u"1\n00:01.000 --> 00:02.000\nA", {}},
      {"WEBVTT is case-sensitive", u"webvtt\n\n00:01.000 --> 00:02.000\nA", {}},
      {"a header only", u"WEBVTT - title\nX-TIMESTAMP-MAP=LOCAL:00:00:00.000,MPEGTS:0\n\n\n", {}},
      {"character references are decoded after the tags are gone",
       u"WEBVTT\n\n00:01.000 --> 00:02.000\n<v Tom>Tom &amp; Jerry "
       u"&lt;3</v>\n&#233;t&eacute;&nbsp;&gt;&gt;\n\n"
       u"00:03.000 --> 00:04.000\n&lt;i&gt; stays &amp;amp;",
       {{1000, 2000, u"Tom & Jerry <3 \u00E9t\u00E9 >>"}, {3000, 4000, u"<i> stays &amp;"}}},
      {"a cue that lasts no time is dropped",
       u"WEBVTT\n\n00:01.000 --> 00:01.000\nNever shown\n\n00:02.000 --> 00:03.000\nShown",
       {{2000, 3000, u"Shown"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadVtt(Lines(c.file)), c.expected) << c.what;
}

}  // namespace
}  // namespace sonacli

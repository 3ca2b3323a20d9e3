#include "subtitles/ssa_reader.h"

#include <gtest/gtest.h>

#include "subtitle_test_support.h"

namespace sonacli {
namespace {

using testing::Lines;

using Case = testing::ReaderCase;

constexpr std::u16string_view kHeader =
    u"[Script Info]\nTitle: x\n\n[V4+ Styles]\nFormat: Name, Fontname\nStyle: Default,Arial\n\n[Events]\n"
    u"Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";

std::u16string WithHeader(std::u16string_view events) {
  return std::u16string(kHeader) + std::u16string(events);
}

TEST(SsaReader, ReadsDialogueLines) {
  const std::u16string basic =
      WithHeader(u"Dialogue: 0,0:00:01.50,0:00:03.00,Default,,0,0,0,,{\\i1}Hello{\\i0}, world");
  const std::u16string breaks = WithHeader(
      u"Comment: 0,0:00:00.00,0:00:09.00,Default,,0,0,0,,note\n"
      u"Dialogue: 0,0:00:04.00,0:00:05.00,Default,,0,0,0,,One\\Ntwo\\nthree, four, five\n"
      u"Dialogue: 0,0:00:06.00,0:00:07.00,Default,,0,0,0,,{\\pos(1,2)}\n"
      u"dialogue: 0,0:00:08.00,0:00:09.00,Default,,0,0,0,,<b>{{lang=en-US}}Six</b>{{x}}\n");
  const std::u16string drawings = WithHeader(
      u"Dialogue: 0,0:00:01.00,0:00:09.00,Sign,,0,0,0,,{\\p1}m 0 0 l 716 0 716 70 0 70\n"
      u"Dialogue: 0,0:00:02.00,0:00:03.00,Sign,,0,0,0,,{\\an8\\p1}m 0 0 l 9 9{\\p0}Exit\\hhere\n"
      u"Dialogue: 0,0:00:04.00,0:00:04.00,Default,,0,0,0,,Never shown\n"
      u"Dialogue: 0,0:00:05.00,0:00:03.00,Default,,0,0,0,,Kept as read");
  const std::u16string grouped = WithHeader(
      u"Dialogue: 0,0:00:05.00,0:00:06.00,Default,,0,0,0,,Later\n"
      u"Dialogue: 0,0:00:01.00,0:00:02.00,Sign,,0,0,0,,Sooner");
  const Case cases[] = {
      {"the example of an override block", basic, {{1500, 3000, u"Hello, world"}}},
      {"line breaks, commas in the text, empty texts, any case",
       breaks,
       {{4000, 5000, u"One two three, four, five"}, {8000, 9000, u"{{lang=en-US}}Six"}}},
      {"the fields follow the format line",
       u"[Events]\nformat: End, Start, Text\nDialogue: 0:00:02.00,0:00:01.00,Hi, there",
       {{1000, 2000, u"Hi, there"}}},
      {"a short dialogue line has empty fields",
       u"[Events]\nFormat: Start, End, Text\nDialogue: 0:00:01.00",
       {}},
      {"dialogue outside the events section is ignored",
       u"[Events]\nFormat: Start, End, Text\n[Fonts]\nDialogue: 0:00:01.00,0:00:02.00,A",
       {}},
      {"no events section", u"[Script Info]\nDialogue: 0:00:01.00,0:00:02.00,A", {}},
      {"a format line without Text", u"[Events]\nFormat: Start, End\nDialogue: 0:00:01.00,0:00:02.00,A", {}},
      {"an empty format line", u"[Events]\nFormat:  \nDialogue: 0:00:01.00,0:00:02.00,A", {}},
      {"drawings, hard spaces and events that last no time are not said",
       drawings,
       {{2000, 3000, u"Exit here"}, {5000, 3000, u"Kept as read"}}},
      {"the reader keeps the order of the file (loading sorts)",
       grouped,
       {{5000, 6000, u"Later"}, {1000, 2000, u"Sooner"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadSsa(Lines(c.file)), c.expected) << c.what;
}

}  // namespace
}  // namespace sonacli

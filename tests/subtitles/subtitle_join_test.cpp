#include "subtitles/subtitle_join.h"

#include <gtest/gtest.h>

#include <string>

#include "common/unicode_text.h"
#include "subtitle_test_support.h"

namespace sonacli {
namespace {

struct Case {
  std::u16string_view text;
  std::u16string_view next;
  int64_t gapMs;
  std::u16string_view joined;  // empty: the entries stay apart
};

TEST(SubtitleJoin, JoinsContinuedSentences) {
  const Case cases[] = {
      {u"I wanted to", u"go home.", 500, u"I wanted to go home."},
      {u"I wanted to", u"go home.", 1599, u"I wanted to go home."},
      {u"I wanted to", u"go home.", 1600, u""},                      // not close
      {u"I wanted to", u"go home.", -800, u"I wanted to go home."},  // an overlap is close
      {u"Wait...", u"what?", 0, u"Wait what?"},
      {u"Wait...", u"What?", 0, u""},
      {u"Wait...", u"...what?", 0, u""},
      {u"Wait\u2026", u"\u00ABwhat\u00BB", 0, u"Wait \u00ABwhat\u00BB"},
      {u"Really?..", u"no", 0, u"Really? no"},
      {u"So,..", u"...and", 0, u""},  // "...and" starts with no letter
      {u"Done.", u"and more", 0, u""},
      {u"\u00ABGo!\u00BB", u"he said", 0, u""},
      {u"(laughs)", u"so", 0, u"(laughs) so"},
      {u"(laughs)", u"So", 0, u""},
      {u"He said,", u"Then", 0, u"He said, Then"},
      {u"\u4F60\u597D\uFF0C", u"\u4E16\u754C", 0, u"\u4F60\u597D\uFF0C \u4E16\u754C"},
      {u"and then", u"- What?", 0, u""},
      {u"and then", u"\u2014 what", 0, u""},
      {u"and then", u"<i>more", 0, u""},
      {u"and then", u"\u00BFqu\u00E9?", 0, u""},
      {u"and then", u"...", 0, u""},
      {u"and then", u"2 apples", 0, u""},
      {u"and then", u"\"quoted\" words", 0, u"and then \"quoted\" words"},
      {u"and then", u"!!!", 0, u""},
      {u"and then", u"\u0434\u043E\u043C", 0, u"and then \u0434\u043E\u043C"},  // Cyrillic lower case
      {u"and then", u"\u041C\u043E\u0441\u043A\u0432\u0430", 0, u""},
      {u"and then", u"\u65E5\u672C", 0, u"and then \u65E5\u672C"},  // letters without case join
  };
  for (const Case& c : cases) {
    SubtitleList subtitles{{0, 1000, std::u16string(c.text)}, {1000 + c.gapMs, 3000, std::u16string(c.next)}};
    const SubtitleList original = subtitles;
    JoinContinuedSubtitles(subtitles);
    const SubtitleList expected =
        c.joined.empty() ? original : SubtitleList{{0, 3000, std::u16string(c.joined)}};
    EXPECT_EQ(subtitles, expected) << ToUtf8(c.text) << " | " << ToUtf8(c.next) << " | " << c.gapMs;
  }
}

TEST(SubtitleJoin, JoinsRunsAndStopsPast700Characters) {
  SubtitleList chain{
      {0, 1000, u"one"}, {1100, 2000, u"two..."}, {2100, 3000, u"three."}, {3100, 4000, u"Four"}};
  JoinContinuedSubtitles(chain);
  EXPECT_EQ(chain, (SubtitleList{{0, 3000, u"one two three."}, {3100, 4000, u"Four"}}));

  const std::u16string words(299, u'w');
  SubtitleList longRun;
  for (int i = 0; i < 5; ++i) longRun.push_back({i * 1000, i * 1000 + 900, words + u"s"});
  JoinContinuedSubtitles(longRun);
  ASSERT_EQ(longRun.size(), 2u);
  EXPECT_EQ(longRun[0].Text.size(), 902u);  // three texts: the third made it longer than 700
  EXPECT_EQ(longRun[0].EndMs, 2900);
  EXPECT_EQ(longRun[1].Text.size(), 601u);  // the rest starts afresh
  EXPECT_EQ(longRun[1].StartMs, 3000);
}

TEST(SubtitleJoin, TheLastEntryBreaksAndIsNotClose) {
  const SubtitleList one{{0, 1000, u"and"}};
  EXPECT_TRUE(IsBreakAfter(one, 0));
  EXPECT_FALSE(IsCloseToNext(one, 0));
  SubtitleList empty;
  JoinContinuedSubtitles(empty);
  EXPECT_TRUE(empty.empty());
}

}  // namespace
}  // namespace sonacli

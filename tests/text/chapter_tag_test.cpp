#include "text/chapter_tag.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(ChapterTag, TitlesAreMadeToFitInOneTag) {
  const struct {
    std::u16string_view title;
    std::u16string_view tag;
  } rows[] = {
      {u"Глава 1", u"{{chapter=Глава 1}}"},
      {u"  Two\r\nlines\tand  tabs ", u"{{chapter=Two lines and tabs}}"},
      {u"a}}b", u"{{chapter=a} }b}}"},
      {u"}}}", u"{{chapter=} } } }}"},
      {u"{{pause=500}}", u"{{chapter={ {pause=500} } }}"},
      {u"\"quoted\" 'title'", u"{{chapter=\"quoted\" 'title'}}"},
      {u"", u"{{chapter=}}"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ChapterTag(row.title), row.tag);
  }
}

TEST(ChapterTag, TitleOfALineIsCutAfterAWholeWord) {
  EXPECT_EQ(ChapterTitleOfLine(u"  Глава первая\t "), u"Глава первая");
  const std::u16string words = u"word " + std::u16string(190, u'x') + u" tail of the paragraph";
  EXPECT_EQ(ChapterTitleOfLine(words), u"word " + std::u16string(190, u'x') + u"\u2026");
  // No space in the second half: cut hard, never between the halves of a surrogate pair.
  std::u16string emoji;
  for (int i = 0; i < 150; ++i) emoji += u"😀";
  const std::u16string cut = ChapterTitleOfLine(emoji);
  EXPECT_EQ(cut, emoji.substr(0, 198) + u"\u2026");
  EXPECT_LE(cut.size(), kMaxLineTitleLength);
}

TEST(ChapterTag, TitleOfATagIsOneTrimmedLine) {
  EXPECT_EQ(ChapterTitleOfTag(u"  A\r\n\tB \u2028 C\u0085 "), u"A B C");
  EXPECT_EQ(ChapterTitleOfTag(u" \r\n "), u"");
  EXPECT_EQ(DefaultChapterTitle(1), u"Chapter 1");
  EXPECT_EQ(DefaultChapterTitle(10000), u"Chapter 10000");
}

}  // namespace
}  // namespace sonacli

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

}  // namespace
}  // namespace sonacli

#include "book/book_chapters.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(BookChapters, OrdersChaptersAndFillsEmptyTitles) {
  const std::u16string longLine =
      u"A line much longer than a title may be, which goes on and on and on until it is cut at a space "
      u"somewhere";
  const std::u16string unbroken(100, u'x');
  const std::u16string pairAtTheCut = std::u16string(79, u'x') + u"\U0001F600" + unbroken;
  const std::vector<std::u16string> lines = {u"Title", u"One", longLine, unbroken, pairAtTheCut};
  struct {
    const char* what;
    std::vector<TBookChapter> found;
    std::vector<TBookChapter> finished;
  } const cases[] = {
      {"in the order of their lines; at one line the first stays",
       {{u"C", 2}, {u"A", 0}, {u"Part", 1}, {u"B", 1}},
       {{u"A", 0}, {u"Part", 1}, {u"C", 2}}},
      {"at or after the end of the text dropped", {{u"A", 0}, {u"End", 5}, {u"Beyond", 9}}, {{u"A", 0}}},
      {"an empty title takes the chapter's first line, cut at a space",
       {{u"", 1}, {u"", 2}},
       {{u"One", 1},
        {u"A line much longer than a title may be, which goes on and on and on until it is\u2026", 2}}},
      {"a line without spaces cut hard, never inside a surrogate pair",
       {{u"", 3}, {u"", 4}},
       {{std::u16string(80, u'x') + u"\u2026", 3}, {std::u16string(79, u'x') + u"\u2026", 4}}},
      {"none", {}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(FinishChapters(c.found, lines), c.finished) << c.what;
}

}  // namespace
}  // namespace sonacli

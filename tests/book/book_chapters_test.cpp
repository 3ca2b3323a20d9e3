#include "book/book_chapters.h"

#include <gtest/gtest.h>

#include <set>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

std::vector<std::string> Marks(const std::vector<TBookChapter>& chapters) {
  std::vector<std::string> marks;
  for (const TBookChapter& chapter : chapters)
    marks.push_back(ToUtf8(chapter.Title) + "@" + std::to_string(chapter.Line));
  return marks;
}

TEST(BookChapters, PlacesTitlesAndMergesChapters) {
  const std::u16string longLine =
      u"A line much longer than a title may be, which goes on and on and on until it is cut at a space "
      u"somewhere";
  const std::u16string unbroken(100, u'x');
  const std::u16string pairAtTheCut = std::u16string(79, u'x') + u"\U0001F600" + unbroken;
  // Lines 0 to 2 are headings ("Book I", "Part I", "I"), then text; 5 is a heading again.
  const std::vector<std::u16string> lines = {u"Book I", u"Part I", u"I",     u"Text.",
                                             longLine,  u"II",     unbroken, pairAtTheCut};
  const std::set<size_t> headings = {0, 1, 2, 5};
  constexpr size_t kNone = kNoParent;
  struct {
    const char* what;
    std::vector<TFoundChapter> found;
    bool bare;
    std::vector<std::string> chapters;
  } const cases[] = {
      {"in the order of their lines; of several at one line the last, of the navigation's order",
       {{u"C", 3}, {u"A", 0}, {u"Cover", 4}, {u"Title page", 4}},
       false,
       {"A@0", "C@3", "Title page@4"}},
      {"at or after the end of the text, or leading to no text, none",
       {{u"A", 0}, {u"End", 8}, {u"Beyond", 90}, {u"Picture", 3, kNone, false}},
       false,
       {"A@0"}},
      {"an empty title takes the chapter's first line, cut at a space, a line without spaces hard, never "
       "inside "
       "a surrogate pair",
       {{u"", 3}, {u"", 4}, {u"", 6}, {u"", 7}},
       false,
       {"Text.@3", "A line much longer than a title may be, which goes on and on and on until it is\u2026@4",
        std::string(80, 'x') + "\u2026@6", std::string(79, 'x') + "\u2026@7"}},
      {"entries of nothing but headings before their first child merge into it; titles name their place",
       {{u"Book I", 0}, {u"Part I", 1, 0}, {u"I", 2, 1}, {u"II", 5, 1}},
       false,
       {"Book I, Part I, I@0", "Book I, Part I, II@5"}},
      {"the same with the bare titles",
       {{u"Book I", 0}, {u"Part I", 1, 0}, {u"I", 2, 1}, {u"II", 5, 1}},
       true,
       {"I@0", "II@5"}},
      {"a parent with text of its own before its first child stays a chapter",
       {{u"Part I", 1}, {u"Chapter", 5, 0}},
       false,
       {"Part I@1", "Part I, Chapter@5"}},
      {"a heading of the navigation without a link, or an entry leading to no text, still names the place",
       {{u"Front", 0, kNone, false}, {u"One", 3, 0}, {u"Lost", 0, kNone, false}, {u"", 5, 2}},
       false,
       {"Front, One@3", "Lost, II@5"}},
      {"a child that is not the first after its parent takes nothing",
       {{u"Part", 0}, {u"Other", 1}, {u"I", 2, 0}},
       false,
       {"Part@0", "Other@1", "Part, I@2"}},
      {"none", {}, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Marks(FinishChapters(
                  c.found, lines, [&](size_t line) { return headings.count(line) != 0; }, c.bare)),
              c.chapters);
  }
}

TEST(BookChapters, FinishesChaptersThatNestInNothing) {
  const std::vector<std::u16string> lines = {u"Title", u"One", u"Two"};
  const std::vector<TBookChapter> chapters = {{u"Book", 0}, {u"", 2}, {u"A", 1}, {u"B", 1}, {u"End", 3}};
  EXPECT_EQ(Marks(FinishChapters(chapters, lines)), (std::vector<std::string>{"Book@0", "B@1", "Two@2"}));
}

// Navigation nested 20 deep names every level; deeper, as many of the nearest as fit. A hundred
// thousand entries nested in one another, with empty titles in between, stay linear.
TEST(BookChapters, DeepNestingStaysBoundedAndSound) {
  std::vector<std::u16string> lines;
  std::vector<TFoundChapter> found;
  std::string twenty;
  for (size_t i = 0; i < 20; ++i) {
    const std::string title = std::to_string(i + 1);
    lines.push_back(u"Line " + ToUtf16(title));
    found.push_back({ToUtf16(title), i, i == 0 ? kNoParent : i - 1});
    twenty += (i == 0 ? "" : ", ") + title;
  }
  const auto noHeadings = [](size_t) { return false; };
  const std::vector<TBookChapter> chapters = FinishChapters(found, lines, noHeadings);
  ASSERT_EQ(chapters.size(), 20u);
  EXPECT_EQ(ToUtf8(chapters.back().Title), twenty);

  constexpr size_t kDeep = 100000;
  std::vector<TFoundChapter> deep;
  std::vector<std::u16string> deepLines(kDeep, u"Text.");
  for (size_t i = 0; i < kDeep; ++i)
    deep.push_back(
        {i % 2 == 0 ? u"" : u"Level " + ToUtf16(std::to_string(i)), i, i == 0 ? kNoParent : i - 1});
  const std::vector<TBookChapter> deepChapters = FinishChapters(deep, deepLines, noHeadings);
  ASSERT_EQ(deepChapters.size(), kDeep);
  const std::u16string& last = deepChapters.back().Title;
  EXPECT_LE(last.size(), kMaxContextCharacters + 11);
  EXPECT_TRUE(last.starts_with(u"Level 99")) << ToUtf8(last);
  EXPECT_TRUE(last.ends_with(u", Level 99997, Level 99999")) << ToUtf8(last);
}

}  // namespace
}  // namespace sonacli

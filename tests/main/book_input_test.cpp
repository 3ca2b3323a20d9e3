#include "main/book_input.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

using Lines = std::vector<std::u16string>;

// The start of a PNG file: enough to be a cover (its signature and header chunk).
const std::string kPng = std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0", 29);

// The book's lines go to the end of the input text as a run of their own; its chapters become marks
// beside them, and the lines before its first chapter are a chapter too.
TEST(AppendBook, MovesTheLinesAndMarksEachChapterAtItsFirstLine) {
  const Lines text = {u"Chapter One", u"It began.", u"Chapter Two", u"It ended."};
  const struct {
    const char* name;
    std::u16string title;
    std::vector<TBookChapter> chapters;
    std::vector<TLineChapter> expected;
  } cases[] = {
      {"chapters from the first line on", u"Book", {{u"One", 0}, {u"Two", 2}}, {{2, u"One"}, {4, u"Two"}}},
      {"a title page before the first chapter is a chapter of the book's title",
       u"The Book",
       {{u"Two", 2}},
       {{2, u"The Book"}, {4, u"Two"}}},
      {"without chapters the book is one", u"The Book", {}, {{2, u"The Book"}}},
      {"without title nor chapters its first line titles it", u"", {}, {{2, u"Chapter One"}}},
      {"titles are one line", u"Book", {{u" Part\n  {{One}} ", 0}}, {{2, u"Part {{One}}"}}},
  };
  for (const auto& c : cases) {
    TBook book;
    book.Lines = text;
    book.Title = c.title;
    book.Chapters = c.chapters;
    book.Language = u"en-GB";
    TInputText input = UserText({u"Before.", u""});
    AppendBook(book, 3, input);
    Lines expected = {u"Before.", u""};
    expected.insert(expected.end(), text.begin(), text.end());
    EXPECT_EQ(input.Lines, expected) << c.name;
    EXPECT_EQ(input.Chapters, c.expected) << c.name;
    EXPECT_EQ(input.Runs, (std::vector<TInputRun>{{TLineSource::UserText, 0, {}, 0, 1},
                                                  {TLineSource::Book, 3, u"en-GB", 2, 3}}))
        << c.name;
    EXPECT_TRUE(book.Lines.empty() && book.Chapters.empty()) << c.name;
    EXPECT_EQ(book.Title, c.title) << c.name;
  }
}

TEST(FillMediaTagsFromBook, FillsOnlyWhatTheCommandLineLeftEmpty) {
  TBook book;
  book.Lines = {u"Text."};
  book.Title = u"Война и мир";
  book.Authors = {u"Лев Толстой", u"A. N. Other"};
  book.Cover = {kPng, "image/png"};

  TMediaTags empty;
  FillMediaTagsFromBook(book, empty);
  EXPECT_EQ(empty.Title, u"Война и мир");
  EXPECT_EQ(empty.Author, u"Лев Толстой, A. N. Other");
  EXPECT_EQ(empty.Cover, kPng);

  TMediaTags given{u"Mine", u"Me", "\xFF\xD8\xFF given"};
  FillMediaTagsFromBook(book, given);
  EXPECT_EQ(given.Title, u"Mine");
  EXPECT_EQ(given.Author, u"Me");
  EXPECT_EQ(given.Cover, "\xFF\xD8\xFF given");

  // A picture no output can carry (GIF) or a damaged one is left out, not refused later.
  for (const std::string& picture : {std::string("GIF89a\x10\0\x10\0", 10), kPng.substr(0, 20)}) {
    book.Cover = {picture, "image/gif"};
    TMediaTags tags;
    FillMediaTagsFromBook(book, tags);
    EXPECT_TRUE(tags.Cover.empty());
    EXPECT_EQ(tags.Title, u"Война и мир");
  }

  // A book without title, authors or cover leaves the fields empty for the other defaults.
  TBook bare;
  bare.Lines = {u"Text."};
  TMediaTags none;
  FillMediaTagsFromBook(bare, none);
  EXPECT_TRUE(none.Title.empty() && none.Author.empty() && none.Cover.empty());
}

}  // namespace
}  // namespace sonacli

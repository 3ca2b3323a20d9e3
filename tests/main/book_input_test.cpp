#include "main/book_input.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

using Lines = std::vector<std::u16string>;

// A whole PNG image of one pixel.
const std::string kPng = std::string(
    "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1F\x15\xC4\x89"
    "\0\0\0\x0AIDAT\x78\x9C\x63\0\x01\0\0\x05\0\x01\x0D\x0A\x2D\xB4\0\0\0\0IEND\xAE\x42\x60\x82",
    67);

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

  std::u16string leftOut = u"not cleared";
  TMediaTags empty;
  FillMediaTagsFromBook(book, empty, leftOut);
  EXPECT_EQ(empty.Title, u"Война и мир");
  EXPECT_EQ(empty.Author, u"Лев Толстой, A. N. Other");
  EXPECT_EQ(empty.Cover, kPng);
  EXPECT_EQ(leftOut, u"");

  TMediaTags given{u"Mine", u"Me", "\xFF\xD8\xFF given"};
  FillMediaTagsFromBook(book, given, leftOut);
  EXPECT_EQ(given.Title, u"Mine");
  EXPECT_EQ(given.Author, u"Me");
  EXPECT_EQ(given.Cover, "\xFF\xD8\xFF given");

  // A picture no output can carry (GIF), one cut short or one whose data is damaged is left out,
  // not refused later, and the run is told why.
  std::string damaged = kPng;
  damaged[43] ^= 0x20;  // in the compressed pixels
  const std::pair<std::string, std::u16string> refused[] = {
      {std::string("GIF89a\x10\0\x10\0", 10), u"Cover is not a JPEG or PNG image"},
      {kPng.substr(0, 20), u"Cover is not a JPEG or PNG image"},
      {damaged, u"Cover image is damaged: its PNG data cannot be decoded"},
  };
  for (const auto& [picture, reason] : refused) {
    book.Cover = {picture, "image/png"};
    TMediaTags tags;
    FillMediaTagsFromBook(book, tags, leftOut);
    EXPECT_TRUE(tags.Cover.empty());
    EXPECT_EQ(tags.Title, u"Война и мир");
    EXPECT_EQ(leftOut, reason);
  }

  // A book without title, authors or cover leaves the fields empty for the other defaults.
  TBook bare;
  bare.Lines = {u"Text."};
  TMediaTags none;
  FillMediaTagsFromBook(bare, none, leftOut);
  EXPECT_TRUE(none.Title.empty() && none.Author.empty() && none.Cover.empty());
  EXPECT_EQ(leftOut, u"");
}

}  // namespace
}  // namespace sonacli

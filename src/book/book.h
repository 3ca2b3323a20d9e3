// A book read from an EPUB or FB2 file: its text as lines, its chapters, its title, authors,
// language and cover.
//
// The text is one line per block: a paragraph, a heading, a list item, a table cell, a verse line
// of a poem; a line break inside a block (<br>) starts a new line too. Lines never hold line
// breaks, never begin or end with white space, and each holds a letter or digit (the text has
// no empty lines, nor lines of mere punctuation or spaces), so that line N
// (counted from 1 by line selection) is the Nth block of text and every line is cut into pieces
// on its own, at its sentence ends.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sonacli {

// A chapter starts at the line Lines[Line]; it runs up to the next chapter's line or to the end.
struct TBookChapter {
  std::u16string Title;
  size_t Line = 0;

  bool operator==(const TBookChapter&) const = default;
};

struct TBookCover {
  std::string Bytes;      // the image file as stored in the book; empty when it has no cover
  std::string MediaType;  // as the book declares it ("image/jpeg" ...); empty when it declares none
};

// A part of a book that is not read aloud by default: boilerplate a listener does not want to hear
// (the imprint, the colophon, the licence page, a table of contents, an index, ...).
struct TBookLeftOut {
  std::u16string Title;   // its heading or navigation title; empty when it has none
  std::u16string Kind;    // what marked it as such: "copyright-page", "colophon", "toc", ...
  size_t Characters = 0;  // the characters of text that were left out

  bool operator==(const TBookLeftOut&) const = default;
};

// What the book says of itself beyond title and authors, for the tags of an audiobook; each empty
// when the book does not say.
struct TBookDetails {
  std::u16string Description;
  std::u16string Date;                   // as the book writes it: "1869", "2001-05-03" ...
  std::vector<std::u16string> Subjects;  // genres or subjects, in the book's order
  std::u16string Series;
  std::u16string SeriesPart;  // the number of the book in its series, as written: "3", "1.5"

  bool operator==(const TBookDetails&) const = default;
};

struct TBook {
  std::vector<std::u16string> Lines;  // never empty once read
  // In the order of their lines, each line at most once, each before the end of the text; every
  // title is one line and not empty.
  std::vector<TBookChapter> Chapters;
  std::u16string Title;
  std::vector<std::u16string> Authors;
  std::u16string Language;  // as the book names it: "ru", "en-US" ...; empty when it does not
  TBookCover Cover;
  TBookDetails Details;
  std::vector<TBookLeftOut> LeftOut;  // in the book's order
};

// The authors as one line, separated by ", "; empty for none.
std::u16string BookAuthor(const TBook& book);

}  // namespace sonacli

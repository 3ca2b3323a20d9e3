// The chapters of a book as its reader found them, made ready for TBook::Chapters.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "book/book.h"

namespace sonacli {

// A title taken from the text is cut at the last space before this many characters.
inline constexpr size_t kMaxTitleFromText = 80;
// The titles of the entries a chapter is nested in that its title names, at most: as many of the
// nearest as fit in this many characters, and never more than kMaxContextLevels of them.
inline constexpr size_t kMaxContextCharacters = 200;
inline constexpr size_t kMaxContextLevels = 32;
inline constexpr size_t kNoParent = static_cast<size_t>(-1);

// A chapter as a reader found it: an entry of the navigation, or a section of the text.
struct TFoundChapter {
  std::u16string Title;  // as the book writes it; empty for none
  size_t Line = 0;       // where it leads
  // The entry it is nested in, by its index in the same list (always a smaller one); kNoParent at
  // the top.
  size_t Parent = kNoParent;
  // False for an entry that leads to no text that is read (a picture, a part left out, a note, a
  // heading of the navigation without a link): it starts no chapter, but its title still names
  // the place of the entries nested in it.
  bool Placed = true;
};

// Makes the chapters of a book from those found, in the order of the navigation (or of the
// text), against the book's lines and the lines that are headings:
// - An entry with no text of its own (nothing but headings) before the first entry nested in it
//   is taken into that one, which then starts where it started ("Book I", "Part I" and "I"
//   become one chapter at the heading "Book I").
// - The title names the entry's place: the titles of the entries it is nested in, from the
//   outermost, and its own, joined by ", " ("Book I, Part I, I"); with bareTitles, its own only.
//   An entry without a title is titled by the first line of its text (cut to kMaxTitleFromText
//   characters at a space, with "…").
// - The chapter of a line is the last entry that leads to it or before it: chapters come in the
//   order of their lines, one per line (the last of the navigation's entries at one line), and
//   none at or after the end of the text.
std::vector<TBookChapter> FinishChapters(const std::vector<TFoundChapter>& found,
                                         const std::vector<std::u16string>& lines,
                                         const std::function<bool(size_t line)>& isHeading,
                                         bool bareTitles = false);

// The same for chapters that nest in nothing, none of whose lines are headings (the chapters of
// a book joined with those a run adds).
std::vector<TBookChapter> FinishChapters(const std::vector<TBookChapter>& chapters,
                                         const std::vector<std::u16string>& lines);

}  // namespace sonacli

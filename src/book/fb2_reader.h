// FB2 books (FictionBook 2), plain or in a ZIP archive.
//
// The text is that of the main body (the first body not named "notes" or "comments"; the other
// bodies hold notes and comments and are not read): every p, v (a verse line), subtitle,
// text-author, date and table cell is a line, and so is every paragraph of a title, epigraph,
// cite, poem or annotation; empty-line ends a paragraph; pictures are not read, nor links that
// mark notes (type="note", a note mark as note_marks.h says, or a number glued to a word that
// links to a note). The description is no text of the book: its annotation is the book's
// description (TBook::Details), and its history, publishing and custom information are not
// read. FB2 marks no boilerplate, so only one part is left out (unless all parts are read): a
// section of nothing but links into the book besides its title (two lines at least), a table of
// contents.
//
// Every section is a chapter (book_chapters.h), titled by its title, or by its first line when it
// has none; nested sections are nested chapters. The title, authors (first, middle and last
// name, else the nickname), language, annotation, date, genres, sequence (series and number) and
// cover picture come from description/title-info (the sequence, when title-info has none, from
// publish-info).
#pragma once

#include <string>
#include <string_view>

#include "book/book.h"
#include "book/book_limits.h"
#include "book/book_reader.h"

namespace sonacli {

// Reads an FB2 document in the encoding it declares (UTF-8 without a declaration; UTF-16 by its
// byte-order mark). False with the message when it is no FB2, is not well-formed XML, its
// declared encoding is not known or does not fit its bytes, it holds no text, or it is beyond a
// limit.
bool ReadFb2(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits = {},
             const TBookReadOptions& options = {});

// Reads the FB2 book held in a ZIP archive (FindFb2Entries); an archive of several books is
// refused, naming their count: each is a book of its own, with its own title and language.
bool ReadFb2Zip(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits = {},
                const TBookReadOptions& options = {});

}  // namespace sonacli

// FB2 books (FictionBook 2), plain or in a ZIP archive.
//
// The text is that of the main body (the first body not named "notes" or "comments"; the other
// bodies hold notes and comments and are not read): every p, v (a verse line), subtitle,
// text-author, date and table cell is a line, and so is every paragraph of a title, epigraph,
// cite, poem or annotation; empty-line ends a paragraph; pictures are not read, nor links that
// mark notes (type="note", or a note mark as note_marks.h says). Every section with a title is a
// chapter, nested ones in order; a section without a title starts none, and its text runs on in
// the chapter before it. The title, authors (first, middle and last name, else the nickname),
// language and cover picture come from description/title-info.
#pragma once

#include <string>
#include <string_view>

#include "book/book.h"
#include "book/book_limits.h"

namespace sonacli {

// Reads an FB2 document in the encoding it declares (UTF-8 without a declaration; UTF-16 by its
// byte-order mark). False with the message when it is no FB2, is not well-formed XML, holds no
// text, or is beyond a limit.
bool ReadFb2(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits = {});

// Reads the FB2 book held in a ZIP archive (the entry FindFb2Entry chooses).
bool ReadFb2Zip(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits = {});

}  // namespace sonacli

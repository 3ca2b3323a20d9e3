// EPUB books, versions 2 and 3.
//
// META-INF/container.xml names the package document (without it, the archive's only .opf file is
// taken); its spine gives the documents in reading order, and those marked linear="no" are read
// after all the others, so that nothing is lost and the main text runs on unbroken. Documents
// that are not XHTML (pictures) are not read. The text of each document is read as xhtml_text.h
// says.
//
// Left out unless all parts are read, each recorded in TBook::LeftOut: the navigation document,
// the documents and elements that the landmarks, the EPUB 2 guide or their own epub:type or role
// mark as boilerplate (LeftOutKind: the copyright page, imprint, colophon, tables of contents,
// indexes, lists of illustrations and tables, landmarks, page lists), and a table of contents in
// the spine that says nothing of itself: a document of nothing but links into the book (on two
// lines at least) besides its headings. A book of nothing else is refused, naming what was left
// out.
//
// Chapters come from the navigation (EPUB 3 nav, else EPUB 2 NCX) as book_chapters.h makes them,
// each where its link leads (the start of its document, or the element of its fragment); an entry
// that leads to no text read (a cover picture, a part left out, a note) gives none. Without a
// navigation, or when none of its links leads to text, they come from the h1 and h2 headings.
//
// Notes are not read (xhtml_text.h); a number glued to a word ("word12") that links to a note is
// its mark and is taken out too. The title, authors, language and details (epub_package.h) come
// from the package's metadata, the cover from the manifest (the item with the property
// cover-image, else the one <meta name="cover"> names).
#pragma once

#include <string>
#include <string_view>

#include "book/book.h"
#include "book/book_limits.h"
#include "book/book_reader.h"

namespace sonacli {

// False with the message when the archive is damaged or encrypted, its container or package
// document is missing or broken, a document of its spine is missing or not well-formed, it holds
// no text, or it is beyond a limit.
bool ReadEpub(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits = {},
              const TBookReadOptions& options = {});

}  // namespace sonacli

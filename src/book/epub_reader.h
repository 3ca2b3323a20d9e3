// EPUB books, versions 2 and 3.
//
// META-INF/container.xml names the package document (without it, the archive's only .opf file is
// taken); its spine gives the documents in reading order, and those marked linear="no" are read
// after all the others, so that nothing is lost and the main text runs on unbroken. Not read: the
// navigation document, the pages the guide calls the table of contents, and documents that are
// not XHTML (pictures). The text of each document is read as xhtml_text.h says. Chapters come from
// the navigation (EPUB 3 nav, else EPUB 2 NCX), each where its link leads (the start of its
// document, or the element of its fragment); without a navigation, or when none of its links
// leads to text, from the h1 and h2 headings. The title, authors and language come from the
// package's metadata, the cover from the manifest (the item with the property cover-image, else
// the one <meta name="cover"> names).
#pragma once

#include <string>
#include <string_view>

#include "book/book.h"
#include "book/book_limits.h"

namespace sonacli {

// False with the message when the archive is damaged or encrypted, its container or package
// document is missing or broken, a document of its spine is missing or not well-formed, it holds
// no text, or it is beyond a limit.
bool ReadEpub(std::string_view bytes, TBook& book, std::u16string& error, const TBookLimits& limits = {});

}  // namespace sonacli

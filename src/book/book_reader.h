// The one entry to the book readers: a book file's bytes become a TBook.
#pragma once

#include <string>
#include <string_view>

#include "book/book.h"
#include "book/book_format.h"
#include "book/book_limits.h"

namespace sonacli {

// How a book is read.
struct TBookReadOptions {
  // Every part is read, boilerplate too (TBook::LeftOut stays empty).
  bool AllParts = false;
  // Chapter titles as the navigation writes them, without the titles of the entries they are
  // nested in.
  bool BareChapterTitles = false;
};

// Reads the bytes as a book of the format DetectBookFormat told. False with the message, which
// names the problem but not the file (the caller adds its name), when they cannot be read; the
// book is then empty. TBookFormat::None gives "not an EPUB or FB2 book".
bool ReadBook(std::string_view bytes, TBookFormat format, TBook& book, std::u16string& error,
              const TBookLimits& limits = {}, const TBookReadOptions& options = {});

}  // namespace sonacli

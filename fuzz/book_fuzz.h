// What the book fuzz targets check of every book read: the promises of TBook and ReadBook.
#pragma once

#include <cstdlib>
#include <string>

#include "book/book.h"
#include "book/book_reader.h"

namespace sonacli::fuzz {

// How a book is read, from two bits of a byte of the input.
inline TBookReadOptions ReadOptions(unsigned bits) {
  TBookReadOptions options;
  options.AllParts = (bits & 1) != 0;
  options.BareChapterTitles = (bits & 2) != 0;
  return options;
}

// Aborts when a read book breaks a promise of TBook, or a refusal comes without a message.
inline void CheckBook(bool read, const TBook& book, const std::u16string& error,
                      const TBookReadOptions& options = {}) {
  if (!read) {
    if (error.empty() || !book.Lines.empty() || !book.Chapters.empty() || !book.LeftOut.empty()) std::abort();
    if (error.find_first_of(u"\r\n") != std::u16string::npos) std::abort();
    return;
  }
  if (book.Lines.empty()) std::abort();
  for (const std::u16string& line : book.Lines) {
    if (line.empty() || line.front() <= u' ' || line.back() <= u' ') std::abort();
    if (line.front() == u'\u00A0' || line.back() == u'\u00A0') std::abort();
    if (line.find_first_of(u"\r\n") != std::u16string::npos) std::abort();
  }
  size_t previous = 0;
  for (size_t i = 0; i < book.Chapters.size(); ++i) {
    const TBookChapter& chapter = book.Chapters[i];
    if (chapter.Title.empty() || chapter.Line >= book.Lines.size()) std::abort();
    if (i > 0 && chapter.Line <= previous) std::abort();
    previous = chapter.Line;
  }
  if (options.AllParts && !book.LeftOut.empty()) std::abort();
  for (const TBookLeftOut& part : book.LeftOut) {
    if (part.Kind.empty()) std::abort();
  }
  if (book.Cover.Bytes.empty() && !book.Cover.MediaType.empty()) std::abort();
}

}  // namespace sonacli::fuzz

// A book file as the input of a run: its text as lines of the run with its chapters beside them,
// and its title, author and cover as the defaults of the output's tags.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "book/book.h"
#include "encode/media_tags.h"
#include "input/input_text.h"

namespace sonacli {

// Moves the book's lines (a book may hold 256 MB of text) to the end of the input text as a run of
// their own, the `index`th book of the input, in the book's language, with its chapters as marks
// beside them. The lines before the first chapter (a title page) are a chapter too, titled by the
// book's title (without one, by its first line): every line of a book belongs to one of its
// chapters, and a book that follows other input never runs on in the chapter before it.
void AppendBook(TBook& book, size_t index, TInputText& text);

// What a dry run says of the books of the input.
struct TBookNotes {
  struct TLeftOut {
    std::u16string Book;  // the book's file name, or "standard input"
    TBookLeftOut Part;
  };
  std::vector<TLeftOut> LeftOut;  // in the order of the books and of their parts
  // Why the first book's cover is not the output's, when the options gave none and it cannot be
  // stored ("not a JPEG or PNG image (image/svg+xml)"); empty otherwise.
  std::u16string CoverLeftOut;
};

// Notes the parts left out of the book, read from the file `book` names.
void NoteLeftOut(const TBook& book, std::u16string_view name, TBookNotes& notes);
// Why the book's cover cannot be stored (CheckCover), with its declared type; empty when it can, or
// when the book has none.
std::u16string CoverLeftOut(const TBook& book);

// Fills the fields of `tags` that are still empty (the command line left them so) from the book:
// its title, its authors (BookAuthor) and its cover when an output can carry it (a JPEG or PNG
// image that passes CheckCoverDecodes). Another picture is left out, and `coverLeftOut` says why;
// it stays empty otherwise.
void FillMediaTagsFromBook(const TBook& book, TMediaTags& tags, std::u16string& coverLeftOut);

}  // namespace sonacli

// A book file as the input of a run: its text as lines of the run with its chapters beside them,
// and its title, author and cover as the defaults of the output's tags.
#pragma once

#include <cstddef>

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

// Fills the fields of `tags` that are still empty (the command line left them so) from the book:
// its title, its authors (BookAuthor) and its cover when an output can carry it (a JPEG or PNG
// image within kMaxCoverBytes; another picture is left out).
void FillMediaTagsFromBook(const TBook& book, TMediaTags& tags);

}  // namespace sonacli

// A book file as the input of a run: its text as the run's lines with its chapters as chapter
// tags, and its title, author and cover as the defaults of the output's tags.
#pragma once

#include <string>
#include <vector>

#include "book/book.h"
#include "encode/media_tags.h"

namespace sonacli {

// The book's lines, taken out of it (a book may hold 256 MB of text), each chapter's tag
// (ChapterTag) at the start of the chapter's first line, so that line selection counts the book's
// own lines; its chapters go with them. The lines before the first chapter (a title
// page) are a chapter too, titled by the book's title (without one, by its first line): every
// line of a book belongs to one of its chapters, and a book that follows other input in a run
// never runs on in the chapter before it.
std::vector<std::u16string> TakeBookLines(TBook& book);

// Fills the fields of `tags` that are still empty (the command line left them so) from the book:
// its title, its authors (BookAuthor) and its cover when an output can carry it (a JPEG or PNG
// image that passes CheckCoverDecodes). Another picture is left out, and `coverLeftOut` says why;
// it stays empty otherwise.
void FillMediaTagsFromBook(const TBook& book, TMediaTags& tags, std::u16string& coverLeftOut);

}  // namespace sonacli

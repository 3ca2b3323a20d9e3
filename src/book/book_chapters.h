// The chapters of a book as its reader found them, made ready for TBook::Chapters.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "book/book.h"

namespace sonacli {

// A title taken from the text is cut at the last space before this many characters.
inline constexpr size_t kMaxTitleFromText = 80;

// Puts the chapters in the order of their lines (those at one line keep their order), drops those
// at or after the end of the text, gives a chapter with an empty title the first line of its text
// (cut to kMaxTitleFromText characters at a space, with "…"), and keeps only the first of several
// chapters that start at one line: a chapter without text of its own (a part whose first chapter
// follows at once) is taken into the next.
std::vector<TBookChapter> FinishChapters(std::vector<TBookChapter> chapters,
                                         const std::vector<std::u16string>& lines);

}  // namespace sonacli

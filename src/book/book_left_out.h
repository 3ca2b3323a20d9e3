// What is said of the parts of a book that are left out.
#pragma once

#include <string>
#include <vector>

#include "book/book.h"

namespace sonacli {

// How many left-out parts a message names, at most.
inline constexpr size_t kMaxPartsNamed = 5;

// A book whose text is all left out: "the book holds no text but the parts left out: Imprint
// (imprint), Colophon (colophon); --book-parts all reads them".
std::string NothingButLeftOutMessage(const std::vector<TBookLeftOut>& leftOut);

}  // namespace sonacli

// How much a book may hold before it is refused, so that a damaged or hostile book (a ZIP bomb,
// an entity bomb) cannot exhaust the memory or the time of a run.
#pragma once

#include <cstddef>
#include <string>

namespace sonacli {

struct TBookLimits {
  // The book file. Text files the program reads are limited to the same size; a book of this
  // size holds hundreds of novels.
  size_t MaxBookBytes = size_t{256} << 20;
  // One archive entry unpacked: what an entry is held in memory as, so an FB2 in a ZIP may be as
  // large as a plain one. XHTML documents and pictures stay far below it.
  size_t MaxEntryBytes = size_t{256} << 20;
  // All the entries read from one archive together: the time unpacking may take.
  size_t MaxUnpackedBytes = size_t{512} << 20;
  // An entry that unpacks to more than RatioFloorBytes may be at most MaxRatio times its packed
  // size: text compresses about 3 to 10 times, a ZIP bomb a thousand times.
  size_t MaxRatio = 100;
  size_t RatioFloorBytes = size_t{1} << 20;
  // The text of the book in UTF-8, entities expanded: again the size of the largest text file.
  size_t MaxTextBytes = size_t{256} << 20;
};

// A limit as messages give it: "256 MB", or "1000 bytes" when it is no whole number of MB.
std::string SizeText(size_t bytes);

}  // namespace sonacli

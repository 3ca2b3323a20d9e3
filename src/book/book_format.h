// What kind of book a file holds, told by its content rather than by its name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "book/zip_archive.h"

namespace sonacli {

enum class TBookFormat {
  None,    // no book: a text file, or anything else
  Epub,    // a ZIP whose "mimetype" says application/epub+zip, or that holds META-INF/container.xml
  Fb2,     // XML whose root element is FictionBook
  Fb2Zip,  // a ZIP that is no EPUB and holds an FB2 book (".fb2.zip", or any other name)
};

// Reads no more than the start of an XML file, the listing of an archive and the first bytes of a
// few of its entries.
TBookFormat DetectBookFormat(std::string_view bytes);

// How much of the start of a document is looked at to find its root element.
inline constexpr size_t kRootSniffBytes = size_t{64} << 10;
// How many files of an archive without a ".fb2" entry are looked into for an FB2 book.
inline constexpr uint64_t kMaxEntriesSniffed = 8;

// The start of an XML document opens the root element FictionBook: in any encoding it declares,
// and also when that encoding cannot be used (unknown, or UTF-16 declared over bytes of one byte
// a character), as long as the bytes before the root are ASCII: such a file is a book that
// cannot be read, not a text.
bool StartsFb2(std::string_view bytes);
// The entries of the archive that hold FB2 books: those whose names end in ".fb2" (in any case),
// else those of the first kMaxEntriesSniffed files that StartsFb2; the copies of macOS's resource
// forks ("__MACOSX/", "._" names) are none.
std::vector<uint64_t> FindFb2Entries(TZipArchive& archive);

}  // namespace sonacli

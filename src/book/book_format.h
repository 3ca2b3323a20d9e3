// What kind of book a file holds, told by its content rather than by its name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

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

// The start of an XML document (in any encoding it declares) opens the root element FictionBook.
bool StartsFb2(std::string_view bytes);
// The entry of the archive that holds an FB2 book: the first whose name ends in ".fb2" (in any
// case), else the first of the first kMaxEntriesSniffed files that StartsFb2; nullopt for none.
std::optional<uint64_t> FindFb2Entry(TZipArchive& archive);

}  // namespace sonacli

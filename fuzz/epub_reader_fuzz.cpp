// The EPUB reader with the recognition of books. The first byte says how the rest is taken: odd,
// as the bytes of an archive as they stand (libzip and the limits of the reader); even, as the
// files of an archive, a NUL after each name and after each content, zipped here without
// compression so that mutations reach the XML of the container, package, navigation and documents.
// Its next two bits say how the book is read (all parts, bare chapter titles).
#include <string>
#include <vector>

#include "book/book_format.h"
#include "book/epub_reader.h"
#include "book_fuzz.h"
#include "fuzz_input.h"
#include "zip_maker/zip_maker.h"

namespace {

std::string Archive(std::string_view files) {
  std::vector<sonacli::TZipEntry> entries;
  while (!files.empty()) {
    auto [name, rest] = sonacli::fuzz::SplitAtNul(files);
    auto [content, next] = sonacli::fuzz::SplitAtNul(rest);
    entries.emplace_back(std::string(name), std::string(content), true);
    files = next;
  }
  return sonacli::MakeZip(entries);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::string_view bytes = fuzz::Bytes(data, size);
  const uint8_t mode = fuzz::TakeByte(bytes);
  const std::string archive = (mode & 1) != 0 ? std::string(bytes) : Archive(bytes);
  DetectBookFormat(archive);
  const TBookReadOptions options = fuzz::ReadOptions(mode >> 1);
  TBook book;
  std::u16string error;
  const bool read = ReadEpub(archive, book, error, {}, options);
  fuzz::CheckBook(read, book, error, options);
  return 0;
}

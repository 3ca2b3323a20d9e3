// The FB2 reader with the recognition of books. The first byte says how the rest is taken, by its
// value modulo 3: 0, as an FB2 document; 1, as an FB2 document that is zipped here as "book.fb2";
// 2, as a file of any kind, recognised and read as the book it is. The byte divided by 3 says how
// the book is read (all parts, bare chapter titles).
#include <string>

#include "book/book_reader.h"
#include "book/fb2_reader.h"
#include "book_fuzz.h"
#include "fuzz_input.h"
#include "zip_maker/zip_maker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::string_view bytes = fuzz::Bytes(data, size);
  const uint8_t first = fuzz::TakeByte(bytes);
  const uint8_t mode = first % 3;
  const TBookReadOptions options = fuzz::ReadOptions(first / 3);
  TBook book;
  std::u16string error;
  bool read = false;
  if (mode == 0) {
    read = ReadFb2(bytes, book, error, {}, options);
  } else if (mode == 1) {
    const std::string zip = MakeZip({{"book.fb2", std::string(bytes)}});
    if (DetectBookFormat(zip) != TBookFormat::Fb2Zip) std::abort();
    read = ReadFb2Zip(zip, book, error, {}, options);
  } else {
    read = ReadBook(bytes, DetectBookFormat(bytes), book, error, {}, options);
  }
  fuzz::CheckBook(read, book, error, options);
  return 0;
}

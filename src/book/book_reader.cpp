#include "book/book_reader.h"

#include "book/epub_reader.h"
#include "book/fb2_reader.h"

namespace sonacli {

bool ReadBook(std::string_view bytes, TBookFormat format, TBook& book, std::u16string& error,
              const TBookLimits& limits, const TBookReadOptions& options) {
  switch (format) {
    case TBookFormat::Epub:
      return ReadEpub(bytes, book, error, limits, options);
    case TBookFormat::Fb2:
      return ReadFb2(bytes, book, error, limits, options);
    case TBookFormat::Fb2Zip:
      return ReadFb2Zip(bytes, book, error, limits, options);
    case TBookFormat::None:
      break;
  }
  book = TBook();
  error = u"not an EPUB or FB2 book";
  return false;
}

}  // namespace sonacli

#include "book/book.h"

namespace sonacli {

std::u16string BookAuthor(const TBook& book) {
  std::u16string out;
  for (const std::u16string& author : book.Authors) {
    if (!out.empty()) out += u", ";
    out += author;
  }
  return out;
}

}  // namespace sonacli

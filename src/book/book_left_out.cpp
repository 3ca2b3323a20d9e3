#include "book/book_left_out.h"

#include "common/unicode_text.h"

namespace sonacli {

std::string NothingButLeftOutMessage(const std::vector<TBookLeftOut>& leftOut) {
  std::string parts;
  for (size_t i = 0; i < leftOut.size() && i < kMaxPartsNamed; ++i) {
    if (!parts.empty()) parts += ", ";
    const std::string kind = ToUtf8(leftOut[i].Kind);
    parts += leftOut[i].Title.empty() ? kind : ToUtf8(leftOut[i].Title) + " (" + kind + ")";
  }
  if (leftOut.size() > kMaxPartsNamed)
    parts += " and " + std::to_string(leftOut.size() - kMaxPartsNamed) + " more";
  return "the book holds no text but the parts left out: " + parts + "; --book-parts all reads them";
}

}  // namespace sonacli

#include "book/book_limits.h"

namespace sonacli {

std::string SizeText(size_t bytes) {
  constexpr size_t kMegabyte = size_t{1} << 20;
  if (bytes % kMegabyte == 0) return std::to_string(bytes / kMegabyte) + " MB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace sonacli

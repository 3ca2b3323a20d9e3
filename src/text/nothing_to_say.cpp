#include "text/nothing_to_say.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace sonacli {

namespace {

bool IsEdgeSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool Silent(UChar32 c) {
  if ((c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0) return true;
  // Punctuation (P*) and separators (Z*) have no sound of their own.
  return (U_GET_GC_MASK(c) & (U_GC_P_MASK | U_GC_Z_MASK)) != 0;
}

}  // namespace

bool IsNothingToSay(std::u16string_view text) {
  while (!text.empty() && IsEdgeSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsEdgeSpace(text.back())) text.remove_suffix(1);
  // By code point, so that a character beyond the BMP is judged by its own category.
  for (size_t i = 0; i < text.size();) {
    UChar32 c;
    U16_NEXT(text.data(), i, text.size(), c);
    if (!Silent(c)) return false;
  }
  return true;
}

}  // namespace sonacli

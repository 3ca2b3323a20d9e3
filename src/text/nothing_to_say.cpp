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
  switch (u_charType(c)) {
    case U_CONNECTOR_PUNCTUATION:
    case U_DASH_PUNCTUATION:
    case U_START_PUNCTUATION:
    case U_END_PUNCTUATION:
    case U_INITIAL_PUNCTUATION:
    case U_FINAL_PUNCTUATION:
    case U_OTHER_PUNCTUATION:
    case U_SPACE_SEPARATOR:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
      return true;
    default:
      return false;
  }
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

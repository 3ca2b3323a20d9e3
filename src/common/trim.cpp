#include "common/trim.h"

namespace sonacli {

namespace {
bool IsTrimmed(char16_t c) {
  return c <= 0x20;
}
}  // namespace

std::u16string TrimLeft(std::u16string_view text) {
  size_t start = 0;
  while (start < text.size() && IsTrimmed(text[start])) ++start;
  return std::u16string(text.substr(start));
}

std::u16string TrimRight(std::u16string_view text) {
  size_t end = text.size();
  while (end > 0 && IsTrimmed(text[end - 1])) --end;
  return std::u16string(text.substr(0, end));
}

std::u16string Trim(std::u16string_view text) {
  return TrimLeft(TrimRight(text));
}

std::u16string CollapseSpaces(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c != u' ' || out.empty() || out.back() != u' ') out.push_back(c);
  }
  return out;
}

}  // namespace sonacli

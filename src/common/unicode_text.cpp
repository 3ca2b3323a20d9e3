#include "common/unicode_text.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

namespace sonacli {

std::u16string ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  const size_t n = utf8.size();
  while (i < n) {
    UChar32 c;
    U8_NEXT_OR_FFFD(reinterpret_cast<const uint8_t*>(utf8.data()), i, n, c);
    if (c <= 0xFFFF) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(static_cast<char16_t>(U16_LEAD(c)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
  }
  return out;
}

std::string ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  size_t i = 0;
  const size_t n = utf16.size();
  while (i < n) {
    UChar32 c;
    U16_NEXT_OR_FFFD(utf16.data(), i, n, c);
    uint8_t bytes[4];
    int32_t len = 0;
    U8_APPEND_UNSAFE(bytes, len, c);  // c is a valid scalar value: NEXT_OR_FFFD replaced the rest
    out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(len));
  }
  return out;
}

char16_t LowerChar(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (U16_IS_SURROGATE(c)) return c;
  UChar32 lower = u_tolower(c);
  return lower <= 0xFFFF ? static_cast<char16_t>(lower) : c;
}

char16_t UpperChar(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  if (U16_IS_SURROGATE(c)) return c;
  UChar32 upper = u_toupper(c);
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

std::u16string LowerCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = LowerChar(c);
  return out;
}

std::u16string UpperCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = UpperChar(c);
  return out;
}

std::vector<std::u16string> SplitIntoLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::u16string JoinLines(const std::vector<std::u16string>& lines) {
  return JoinLines(std::span<const std::u16string>(lines));
}

std::u16string JoinLines(std::span<const std::u16string> lines) {
  std::u16string out;
  size_t total = 0;
  for (const auto& line : lines) total += line.size() + 2;
  out.reserve(total);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += u"\r\n";
    out += lines[i];
  }
  return out;
}

}  // namespace sonacli

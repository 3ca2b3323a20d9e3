#include "dict/rex_item.h"

#include "platform/text_codec.h"

namespace sonacli {
namespace {

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The value of count hexadecimal digits at text[at]; -1 when they are not all there.
int HexDigits(std::u16string_view text, size_t at, size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

char16_t AnsiChar(int byte, int codePage) {
  const std::string bytes(1, static_cast<char>(byte));
  const auto decoded = DecodeCodePage(bytes, codePage);
  return decoded && decoded->size() == 1 ? (*decoded)[0] : static_cast<char16_t>(byte);
}

// \x{H}, \x{HH}, \x{HHH} or \x{HHHH} at text[at] (the backslash): its value and length, or -1.
int BracedHex(std::u16string_view text, size_t at, size_t& length) {
  if (at + 3 >= text.size() || text[at + 1] != u'x' || text[at + 2] != u'{') return -1;
  for (size_t digits = 1; digits <= 4; ++digits) {
    const size_t close = at + 3 + digits;
    if (close >= text.size() || HexValue(text[close - 1]) < 0) return -1;
    if (text[close] == u'}') {
      length = digits + 4;
      return HexDigits(text, at + 3, digits);
    }
  }
  return -1;
}

bool IsOperatorLetter(char16_t c) {
  return c == u'E' || c == u'L' || c == u'U' || c == u'l' || c == u'u';
}

bool Contains(std::u16string_view text, std::u16string_view what) {
  return text.find(what) != std::u16string_view::npos;
}

// The first "=" not directly preceded by a backslash.
size_t FreeSeparatorOf(std::u16string_view line) {
  for (size_t i = line.find(u'='); i != std::u16string_view::npos; i = line.find(u'=', i + 1)) {
    if (i == 0 || line[i - 1] != u'\\') return i;
  }
  return std::u16string_view::npos;
}

}  // namespace

std::u16string DecodeRexEscapes(std::u16string_view text, int ansiCodePage) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size()) {
      const char16_t kind = text[i + 1];
      int value = -1;
      if (kind == u'x' && (value = HexDigits(text, i + 2, 2)) >= 0) {
        out.push_back(AnsiChar(value, ansiCodePage));
        i += 3;
        continue;
      }
      if (kind == u'u' && (value = HexDigits(text, i + 2, 4)) >= 0) {
        out.push_back(static_cast<char16_t>(value));
        i += 5;
        continue;
      }
      size_t length = 0;
      if (kind == u'x' && (value = BracedHex(text, i, length)) >= 0) {
        out.push_back(static_cast<char16_t>(value));
        i += length - 1;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

bool PrepareRexReplacement(std::u16string& replacement) {
  if (!Contains(replacement, u"\\")) return false;
  const bool hasOperators = Contains(replacement, u"\\L") || Contains(replacement, u"\\U") ||
                            Contains(replacement, u"\\l") || Contains(replacement, u"\\u");
  if (Contains(replacement, u"\\L") || Contains(replacement, u"\\U")) {
    char16_t lastRange = 0;
    for (size_t i = 0; i + 1 < replacement.size(); ++i) {
      const char16_t next = replacement[i + 1];
      if (replacement[i] == u'\\' && (next == u'E' || next == u'L' || next == u'U')) lastRange = next;
    }
    if (lastRange == u'L' || lastRange == u'U') replacement += u"\\E";
  }
  if (!hasOperators) return false;
  std::u16string doubled;
  doubled.reserve(replacement.size() + 8);
  for (size_t i = 0; i < replacement.size(); ++i) {
    if (replacement[i] == u'\\' && i + 1 < replacement.size() && IsOperatorLetter(replacement[i + 1])) {
      doubled.push_back(u'\\');
    }
    doubled.push_back(replacement[i]);
  }
  replacement = std::move(doubled);
  return true;
}

std::optional<TREXItem> ParseRexLine(std::u16string_view line, int ansiCodePage) {
  if (line.empty() || line[0] == u'#') return std::nullopt;
  const size_t separator = FreeSeparatorOf(line);
  if (separator == std::u16string_view::npos || separator == 0) return std::nullopt;
  TREXItem item;
  item.Pattern = line.substr(0, separator);
  if (item.Pattern[0] == u'@') {
    item.CaseSensitive = true;
    item.Pattern.erase(0, 1);
  }
  item.Replacement = DecodeRexEscapes(line.substr(separator + 1), ansiCodePage);
  item.HasCaseOperators = PrepareRexReplacement(item.Replacement);
  return item;
}

}  // namespace sonacli

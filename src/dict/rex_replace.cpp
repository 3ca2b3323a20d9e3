#include "dict/rex_replace.h"

#include "common/unicode_text.h"
#include "dict/replaced_text_limit.h"
#include "regex/regex.h"

namespace sonacli {
namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;

int DigitValue(char16_t c, int base) {
  int value = -1;
  if (c >= u'0' && c <= u'9') value = c - u'0';
  if (c >= u'a' && c <= u'f') value = c - u'a' + 10;
  if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
  return value < base ? value : -1;
}

// Appends a code point; false for a surrogate or a value beyond Unicode.
bool AppendCodePoint(std::u16string& out, char32_t value) {
  if (value > kMaxCodePoint || (value >= 0xD800 && value <= 0xDFFF)) return false;
  if (value > 0xFFFF) {
    value -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(value));
  }
  return true;
}

// Digits of a base from text[at], at most maxDigits of them: their value, and at moves past them.
// -1 when there is none or the value exceeds Unicode.
int64_t ReadDigits(std::u16string_view text, size_t& at, int base, size_t maxDigits) {
  int64_t value = 0;
  size_t count = 0;
  while (at < text.size() && count < maxDigits && DigitValue(text[at], base) >= 0) {
    value = value * base + DigitValue(text[at], base);
    if (value > kMaxCodePoint) return -1;
    ++at;
    ++count;
  }
  return count == 0 ? -1 : value;
}

// "{digits}" at text[at]: the value, at moving past the "}"; -1 when malformed.
int64_t ReadBracedDigits(std::u16string_view text, size_t& at, int base) {
  if (at >= text.size() || text[at] != u'{') return -1;
  ++at;
  const int64_t value = ReadDigits(text, at, base, text.size());
  if (value < 0 || at >= text.size() || text[at] != u'}') return -1;
  ++at;
  return value;
}

// Decodes the escape whose letter is at text[at] (after the backslash), appending its result;
// moves at past the escape. False when malformed.
bool DecodeEscape(std::u16string_view text, size_t& at, std::u16string& out) {
  const char16_t kind = text[at++];
  switch (kind) {
    case u'0': {
      size_t end = at;
      const int64_t more = ReadDigits(text, end, 8, 2);
      const int64_t value = more < 0 ? 0 : more;
      at = end;
      return AppendCodePoint(out, static_cast<char32_t>(value));
    }
    case u'o': {
      const int64_t value = ReadBracedDigits(text, at, 8);
      return value >= 0 && AppendCodePoint(out, static_cast<char32_t>(value));
    }
    case u'x': {
      const int64_t value = (at < text.size() && text[at] == u'{') ? ReadBracedDigits(text, at, 16)
                                                                   : ReadDigits(text, at, 16, 2);
      return value >= 0 && AppendCodePoint(out, static_cast<char32_t>(value));
    }
    case u'c': {
      if (at >= text.size() || text[at] < 0x20 || text[at] > 0x7E) return false;
      out.push_back(static_cast<char16_t>(UpperChar(text[at++]) ^ 0x40));
      return true;
    }
    case u'a':
      out.push_back(u'\a');
      return true;
    case u'e':
      out.push_back(u'\x1B');
      return true;
    case u'f':
      out.push_back(u'\f');
      return true;
    case u'n':
      out.push_back(u'\n');
      return true;
    case u'r':
      out.push_back(u'\r');
      return true;
    case u't':
      out.push_back(u'\t');
      return true;
    default:
      if (kind >= u'1' && kind <= u'9') out.push_back(u'$');  // \1 is the group reference $1
      out.push_back(kind);
      return true;
  }
}

void AppendGroupByReference(std::u16string_view reference, const TRegexMatch& match, std::u16string& out) {
  bool numeric = true;
  for (char16_t c : reference) numeric = numeric && c >= u'0' && c <= u'9';
  if (!numeric) {
    out += match.Group(match.Pattern().GroupNumber(reference));
  } else if (reference.size() <= 6) {
    int number = 0;
    for (char16_t c : reference) number = number * 10 + (c - u'0');
    out += match.Group(number);
  }
}

// Applies \u (upper) or \l (lower): the operator goes, the character after it changes.
void ApplyCharOperator(std::u16string& text, std::u16string_view op, char16_t (*change)(char16_t)) {
  for (size_t at = text.find(op); at != std::u16string::npos; at = text.find(op, at)) {
    text.erase(at, 2);
    if (at < text.size()) text[at] = change(text[at]);
  }
}

// Changes the case of text[from, to), passing over the operators inside, which keep their letters.
void ChangeRange(std::u16string& text, size_t from, size_t to, char16_t (*change)(char16_t)) {
  for (size_t i = from; i < to; ++i) {
    if (text[i] == u'\\' && i + 1 < to && (text[i + 1] == u'U' || text[i + 1] == u'L')) {
      ++i;
      continue;
    }
    text[i] = change(text[i]);
  }
}

// The first \U, \L or \E at or after from.
size_t NextRangeOperator(const std::u16string& text, size_t from) {
  for (size_t at = text.find(u'\\', from); at != std::u16string::npos; at = text.find(u'\\', at + 1)) {
    if (at + 1 < text.size() && (text[at + 1] == u'U' || text[at + 1] == u'L' || text[at + 1] == u'E')) {
      return at;
    }
  }
  return std::u16string::npos;
}

}  // namespace

std::optional<std::u16string> DecodeReplacementEscapes(std::u16string_view replacement) {
  std::u16string out;
  out.reserve(replacement.size());
  size_t at = 0;
  while (at < replacement.size()) {
    const char16_t c = replacement[at++];
    if (c != u'\\') {
      out.push_back(c);
      continue;
    }
    if (at >= replacement.size() || !DecodeEscape(replacement, at, out)) return std::nullopt;
  }
  return out;
}

void ExpandReplacement(std::u16string_view decoded, const TRegexMatch& match, std::u16string& out) {
  const std::u16string_view subject = match.Subject();
  for (size_t i = 0; i < decoded.size(); ++i) {
    if (decoded[i] != u'$' || i + 1 == decoded.size()) {
      out.push_back(decoded[i]);
      continue;
    }
    const char16_t kind = decoded[++i];
    if (kind >= u'0' && kind <= u'9') {
      out += match.Group(kind - u'0');
    } else if (kind == u'{') {
      const size_t close = decoded.find(u'}', i + 1);
      if (close == std::u16string_view::npos || close == i + 1) {
        out.push_back(kind);
        continue;
      }
      AppendGroupByReference(decoded.substr(i + 1, close - i - 1), match, out);
      i = close;
    } else if (kind == u'&') {
      out += match.Group(0);
    } else if (kind == u'`') {
      out += subject.substr(0, match.Start());
    } else if (kind == u'\'') {
      out += subject.substr(match.End());
    } else if (kind == u'_') {
      out += subject;
    } else if (kind == u'+') {
      if (match.LastGroup() > 0) out += match.Group(match.LastGroup());
    } else {
      out.push_back(kind);  // "$$" and "$" before anything else
    }
  }
}

std::u16string ApplyCaseOperators(std::u16string_view text) {
  std::u16string out(text);
  ApplyCharOperator(out, u"\\u", UpperChar);
  ApplyCharOperator(out, u"\\l", LowerChar);
  // Nothing before the operator just handled is an operator, but removing it may join a backslash
  // just before it to the letter after it, so the search resumes one character earlier.
  for (size_t at = NextRangeOperator(out, 0); at != std::u16string::npos;
       at = NextRangeOperator(out, at > 0 ? at - 1 : 0)) {
    const char16_t kind = out[at + 1];
    out.erase(at, 2);
    if (kind == u'E') continue;
    const size_t opposite = out.find(kind == u'U' ? u"\\L" : u"\\U", at);
    const size_t close = out.find(u"\\E", at);
    auto change = kind == u'U' ? UpperChar : LowerChar;
    if (opposite != std::u16string::npos && (close == std::u16string::npos || opposite < close)) {
      ChangeRange(out, at, opposite, change);
    } else if (close != std::u16string::npos) {
      ChangeRange(out, at, close, change);
      out.erase(close, 2);
    }
  }
  return out;
}

bool ReplaceMatches(const TRegex& regex, std::u16string& text, std::u16string_view replacement,
                    bool hasCaseOperators) {
  const std::optional<std::u16string> decoded = DecodeReplacementEscapes(replacement);
  if (!decoded) return false;
  std::u16string out;
  std::u16string expanded;
  size_t copied = 0;
  bool any = false;
  bool tooLong = false;
  const bool ok = regex.ForEachMatch(text, [&](const TRegexMatch& match) {
    if (tooLong) return;
    out.append(text, copied, match.Start() - copied);
    if (hasCaseOperators) {
      expanded.clear();
      ExpandReplacement(*decoded, match, expanded);
      out += ApplyCaseOperators(expanded);
    } else {
      ExpandReplacement(*decoded, match, out);
    }
    copied = match.End();
    any = true;
    const size_t length = out.size() + (text.size() - copied);
    tooLong = length > kMaxReplacedTextLength && length > text.size();
  });
  if (!ok || tooLong) return false;
  if (any) {
    out.append(text, copied);
    text = std::move(out);
  }
  return true;
}

}  // namespace sonacli

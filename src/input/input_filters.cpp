#include "input/input_filters.h"

#include <unicode/uchar.h>

#include <array>
#include <span>

#include "common/unicode_text.h"

namespace sonacli {

namespace {

constexpr size_t kNone = std::u16string::npos;

bool IsPunctuation(char16_t c) {
  return u_ispunct(c);
}

// The character at index, or 0 outside the text.
char16_t At(const std::u16string& text, size_t index) {
  return index < text.size() ? text[index] : u'\0';
}

// A text that fills a whole line takes the CR LF after it along.
size_t TakeLineEnd(const std::u16string& text, size_t start, size_t end) {
  if (start > 0 && text[start - 1] == u'\n' && end + 2 < text.size() && text[end + 1] == u'\r' &&
      text[end + 2] == u'\n') {
    return end + 2;
  }
  return end;
}

bool EndsUrl(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\r' || c == u'\n' || c == u'"';
}

// True when, walking back from index towards the start of its line, open comes before close.
bool OpenedOnLine(const std::u16string& text, size_t index, char16_t open, char16_t close) {
  for (size_t i = index + 1; i-- > 0;) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n' || c == close) return false;
    if (c == open) return true;
  }
  return false;
}

struct BracketPair {
  char16_t open;
  char16_t close;
};

constexpr std::array<BracketPair, 4> kBrackets = {{{u'(', u')'}, {u'[', u']'}, {u'{', u'}'}, {u'<', u'>'}}};

// Shrinks or widens the URL at start..end to the brackets around it.
void FitUrlToBrackets(const std::u16string& text, size_t& start, size_t& end) {
  if (start == 0) return;
  for (const BracketPair& pair : kBrackets) {
    if (text[start - 1] == pair.open && text[end] == pair.close) {
      --start;
      return;
    }
  }
  // A URL inside a longer bracketed text keeps the closing bracket; angle brackets are not tested.
  for (const BracketPair& pair : std::span(kBrackets).first(3)) {
    if (text[end] == pair.close) {
      if (OpenedOnLine(text, start - 1, pair.open, pair.close)) --end;
      return;
    }
  }
}

// The "//" at index is the end of one of the URL schemes.
bool IsSchemeSlashes(const std::u16string& text, size_t index) {
  if (index == 0 || text[index - 1] != u':') return false;
  static constexpr std::array<std::u16string_view, 5> kSchemes = {u"http://", u"ftp://", u"https://",
                                                                  u"file://", u"ssh://"};
  for (std::u16string_view scheme : kSchemes) {
    size_t before = scheme.size() - 2;
    if (index < before) continue;
    std::u16string_view candidate = std::u16string_view(text).substr(index - before, scheme.size());
    if (LowerCase(candidate) == scheme) return true;
  }
  return false;
}

}  // namespace

void RemoveBracketed(std::u16string& text, char16_t open, char16_t close) {
  size_t start = text.find(open);
  while (start != kNone) {
    size_t end = text.find(close, start + 1);
    if (end == kNone) return;
    while (At(text, end + 1) == close) ++end;
    char16_t after = At(text, end + 1);
    bool hasAfter = end + 1 < text.size();
    if (start > 0 && text[start - 1] == u' ' && hasAfter &&
        (IsPunctuation(after) || after == u'\r' || after == u' ')) {
      --start;
    } else if (start > 0 && text[start - 1] == u'(' && hasAfter && after == u' ') {
      ++end;
    }
    end = TakeLineEnd(text, start, end);
    text.erase(start, end - start + 1);
    start = text.find(open, start);
  }
}

void RemoveUrls(std::u16string& text, std::u16string_view prefix) {
  size_t start = text.find(prefix);
  while (start != kNone) {
    size_t end = start;
    while (end + 1 < text.size() && !EndsUrl(text[end + 1])) ++end;
    if (text[end] == u'.' || text[end] == u',' || text[end] == u';') --end;
    FitUrlToBrackets(text, start, end);
    end = TakeLineEnd(text, start, end);
    text.erase(start, end - start + 1);
    start = text.find(prefix, start);
  }
}

void RemoveBlockComments(std::u16string& text) {
  size_t start = text.find(u"/*");
  while (start != kNone) {
    size_t close = text.find(u"*/", start + 2);
    if (close == kNone) return;
    text.erase(start, close + 2 - start);
    start = text.find(u"/*", start);
  }
}

void RemoveLineComments(std::u16string& text) {
  size_t start = text.find(u"//");
  while (start != kNone) {
    if (IsSchemeSlashes(text, start)) {
      start = text.find(u"//", start + 2);
      continue;
    }
    size_t lineEnd = text.find(u"\r\n", start + 2);
    if (lineEnd == kNone) lineEnd = text.size();
    text.erase(start, lineEnd - start);
    start = text.find(u"//", start);
  }
}

std::vector<std::u16string> FilterInputText(const std::vector<std::u16string>& lines,
                                            const TFilterFlags& flags) {
  std::u16string text;
  for (const std::u16string& line : lines) {
    text += line;
    text += u"\r\n";
  }
  if (flags.SquareBrackets) RemoveBracketed(text, u'[', u']');
  if (flags.CurlyBrackets) RemoveBracketed(text, u'{', u'}');
  if (flags.AngleBrackets) RemoveBracketed(text, u'<', u'>');
  if (flags.RoundBrackets) RemoveBracketed(text, u'(', u')');
  if (flags.Urls) {
    for (std::u16string_view prefix : {u"http://", u"ftp://", u"https://", u"file://", u"ssh://"}) {
      RemoveUrls(text, prefix);
    }
  }
  if (flags.Comments) {
    RemoveBlockComments(text);
    RemoveLineComments(text);
  }
  constexpr std::u16string_view kEdges = u"\r\n\t";
  size_t last = text.find_last_not_of(kEdges);
  if (last == kNone) return {};
  text.erase(last + 1);
  text.erase(0, text.find_first_not_of(kEdges));
  return SplitIntoLines(text);
}

}  // namespace sonacli

#include "input/input_filters.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

#include "common/unicode_text.h"
#include "input/input_text_builder.h"
#include "platform/huge_pages.h"

namespace sonacli {

namespace {

constexpr size_t kNone = std::u16string::npos;

// One filter pass over a text: the text as changed so far is its first kept characters followed by
// the rest from pos on. A removal moves the characters up to it forward to the end of the kept
// ones and skips pos past it, so every character moves at most once, within the same buffer.
// Positions are those of the text as changed so far.
class TFilterPass {
 public:
  explicit TFilterPass(std::u16string& text) : text_(text) {}

  size_t Size() const { return text_.size() - (pos_ - kept_); }

  // The character at index, or 0 outside the text.
  char16_t At(size_t index) const {
    const size_t at = index < kept_ ? index : pos_ + index - kept_;
    return at < text_.size() ? text_[at] : u'\0';
  }

  // Searches from a position at or after every removal so far.
  size_t Find(std::u16string_view what, size_t from) const {
    const size_t found = text_.find(what, pos_ + from - kept_);
    return found == kNone ? kNone : found - pos_ + kept_;
  }
  size_t Find(char16_t what, size_t from) const { return Find(std::u16string_view(&what, 1), from); }

  // Removes count characters at start; the removal reaches at least to the end of the kept text.
  void Erase(size_t start, size_t count) {
    const size_t restEnd = pos_ + start + count - kept_;
    if (start > kept_) MoveForward(start - kept_);
    kept_ = start;
    pos_ = restEnd;
  }

  // Closes the gap between the kept characters and the rest.
  void Finish() {
    MoveForward(text_.size() - pos_);
    text_.resize(kept_);
  }

 private:
  // Appends the next count characters of the rest to the kept ones.
  void MoveForward(size_t count) {
    if (pos_ != kept_)
      std::copy_n(text_.begin() + static_cast<std::ptrdiff_t>(pos_), count,
                  text_.begin() + static_cast<std::ptrdiff_t>(kept_));
    kept_ += count;
    pos_ += count;
  }

  std::u16string& text_;
  size_t kept_ = 0;  // characters at the front that stay
  size_t pos_ = 0;   // where the rest begins
};

// Runs one pass over the text and closes its gaps.
template <typename Pass>
void RunPass(std::u16string& text, Pass pass) {
  TFilterPass filter(text);
  pass(filter);
  filter.Finish();
}

bool IsPunctuation(char16_t c) {
  return u_ispunct(c);
}

// A text that fills a whole line takes the CR LF after it along.
size_t TakeLineEnd(const TFilterPass& text, size_t start, size_t end) {
  if (start > 0 && text.At(start - 1) == u'\n' && end + 2 < text.Size() && text.At(end + 1) == u'\r' &&
      text.At(end + 2) == u'\n') {
    return end + 2;
  }
  return end;
}

bool EndsUrl(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\r' || c == u'\n' || c == u'"';
}

// Where the last walk back towards the start of a line stopped, so that the next walk, from a later
// index, reads only the text between them: without it a long line with many URLs before closing
// brackets costs the square of its length. `From` is the index the walk started at; `Stop` the
// index of the line break or bracket it stopped at, or kNone at the start of the text.
struct TLineWalk {
  size_t From = kNone;
  size_t Stop = kNone;
};

// True when, walking back from index towards the start of its line, open comes before close. The
// walk reuses `last` when nothing at or before its start has been removed since.
bool OpenedOnLine(const TFilterPass& text, size_t index, char16_t open, char16_t close, TLineWalk& last) {
  const size_t known = last.From != kNone && last.From <= index ? last.From : kNone;
  size_t stop = kNone;
  for (size_t i = index + 1; i-- > 0;) {
    if (i == known) {
      stop = last.Stop;
      break;
    }
    const char16_t c = text.At(i);
    if (c == u'\r' || c == u'\n' || c == close || c == open) {
      stop = i;
      break;
    }
  }
  last = {index, stop};
  return stop != kNone && text.At(stop) == open;
}

struct BracketPair {
  char16_t open;
  char16_t close;
};

constexpr std::array<BracketPair, 4> kBrackets = {{{u'(', u')'}, {u'[', u']'}, {u'{', u'}'}, {u'<', u'>'}}};

// Shrinks or widens the URL at start..end to the brackets around it.
void FitUrlToBrackets(const TFilterPass& text, size_t& start, size_t& end, std::array<TLineWalk, 3>& walks) {
  if (start == 0) return;
  for (const BracketPair& pair : kBrackets) {
    if (text.At(start - 1) == pair.open && text.At(end) == pair.close) {
      --start;
      return;
    }
  }
  // A URL inside a longer bracketed text keeps the closing bracket; angle brackets are not tested.
  for (size_t k = 0; k < walks.size(); ++k) {
    if (text.At(end) == kBrackets[k].close) {
      if (OpenedOnLine(text, start - 1, kBrackets[k].open, kBrackets[k].close, walks[k])) --end;
      return;
    }
  }
}

// The "//" at index is the end of one of the URL schemes.
bool IsSchemeSlashes(const TFilterPass& text, size_t index) {
  if (index == 0 || text.At(index - 1) != u':') return false;
  static constexpr std::array<std::u16string_view, 5> kSchemes = {u"http://", u"ftp://", u"https://",
                                                                  u"file://", u"ssh://"};
  for (std::u16string_view scheme : kSchemes) {
    size_t before = scheme.size() - 2;
    if (index < before) continue;
    std::u16string candidate;
    for (size_t i = index - before; i < index - before + scheme.size() && i < text.Size(); ++i) {
      candidate.push_back(text.At(i));
    }
    if (LowerCase(candidate) == scheme) return true;
  }
  return false;
}

}  // namespace

void RemoveBracketed(std::u16string& source, char16_t open, char16_t close) {
  RunPass(source, [&](TFilterPass& text) {
    size_t start = text.Find(open, 0);
    while (start != kNone) {
      size_t end = text.Find(close, start + 1);
      if (end == kNone) return;
      while (text.At(end + 1) == close) ++end;
      char16_t after = text.At(end + 1);
      bool hasAfter = end + 1 < text.Size();
      if (start > 0 && text.At(start - 1) == u' ' && hasAfter &&
          (IsPunctuation(after) || after == u'\r' || after == u' ')) {
        --start;
      } else if (start > 0 && text.At(start - 1) == u'(' && hasAfter && after == u' ') {
        ++end;
      }
      end = TakeLineEnd(text, start, end);
      text.Erase(start, end - start + 1);
      start = text.Find(open, start);
    }
  });
}

void RemoveUrls(std::u16string& source, std::u16string_view prefix) {
  RunPass(source, [&](TFilterPass& text) {
    std::array<TLineWalk, 3> walks;
    size_t start = text.Find(prefix, 0);
    while (start != kNone) {
      size_t end = start;
      while (end + 1 < text.Size() && !EndsUrl(text.At(end + 1))) ++end;
      if (text.At(end) == u'.' || text.At(end) == u',' || text.At(end) == u';') --end;
      FitUrlToBrackets(text, start, end, walks);
      end = TakeLineEnd(text, start, end);
      text.Erase(start, end - start + 1);
      // A walk that read what was just removed must not be reused.
      for (TLineWalk& walk : walks) {
        if (walk.From != kNone && walk.From >= start) walk = {};
      }
      start = text.Find(prefix, start);
    }
  });
}

void RemoveBlockComments(std::u16string& source) {
  RunPass(source, [&](TFilterPass& text) {
    size_t start = text.Find(u"/*", 0);
    while (start != kNone) {
      size_t close = text.Find(u"*/", start + 2);
      if (close == kNone) return;
      text.Erase(start, close + 2 - start);
      start = text.Find(u"/*", start);
    }
  });
}

void RemoveLineComments(std::u16string& source) {
  RunPass(source, [&](TFilterPass& text) {
    size_t start = text.Find(u"//", 0);
    while (start != kNone) {
      if (IsSchemeSlashes(text, start)) {
        start = text.Find(u"//", start + 2);
        continue;
      }
      size_t lineEnd = text.Find(u"\r\n", start + 2);
      if (lineEnd == kNone) lineEnd = text.Size();
      text.Erase(start, lineEnd - start);
      start = text.Find(u"//", start);
    }
  });
}

namespace {

// The enabled filters over a text whose lines each end in CR LF.
void RunFilters(std::u16string& text, const TFilterFlags& flags) {
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
}

constexpr std::u16string_view kEdges = u"\r\n\t";

bool AnyFilter(const TFilterFlags& flags) {
  return flags.SquareBrackets || flags.CurlyBrackets || flags.AngleBrackets || flags.RoundBrackets ||
         flags.Urls || flags.Comments;
}

}  // namespace

std::vector<std::u16string> FilterInputText(const std::vector<std::u16string>& lines,
                                            const TFilterFlags& flags) {
  std::u16string text;
  size_t size = 0;
  for (const std::u16string& line : lines) size += line.size() + 2;
  text.reserve(size);
  AdviseHugePages(text.data(), size * sizeof(char16_t));
  for (const std::u16string& line : lines) {
    text += line;
    text += u"\r\n";
  }
  RunFilters(text, flags);
  const size_t last = text.find_last_not_of(kEdges);
  if (last == kNone) return {};
  const size_t first = text.find_first_not_of(kEdges);
  return SplitIntoLines(std::u16string_view(text).substr(first, last + 1 - first));
}

std::u16string FilterLine(std::u16string line, const TFilterFlags& flags) {
  if (AnyFilter(flags)) {
    line += u"\r\n";
    RunFilters(line, flags);
  }
  const size_t last = line.find_last_not_of(kEdges);
  if (last == kNone) return {};
  line.resize(last + 1);
  line.erase(0, line.find_first_not_of(kEdges));
  return line;
}

TInputText FilterInputText(TInputText text, const TFilterFlags& flags) {
  if (text.Runs.empty()) text.Runs.push_back({TLineSource::UserText, 0, {}, 0, 1});
  TInputTextBuilder builder(text);
  for (size_t run = 0; run < text.Runs.size();) {
    if (text.Runs[run].Source == TLineSource::Book) {
      for (size_t line = text.Runs[run].FirstLine; line < RunEnd(text, run); ++line) {
        std::u16string kept = FilterLine(std::move(text.Lines[line]), flags);
        if (!kept.empty()) builder.AddLine(std::move(kept), line);
      }
      ++run;
      continue;
    }
    // The user's text up to the next book is one text, as if there were no book.
    size_t end = run + 1;
    while (end < text.Runs.size() && text.Runs[end].Source == TLineSource::UserText) ++end;
    const auto first = text.Lines.begin() + static_cast<std::ptrdiff_t>(text.Runs[run].FirstLine);
    const auto last = text.Lines.begin() + static_cast<std::ptrdiff_t>(RunEnd(text, end - 1));
    std::vector<std::u16string> userLines(std::make_move_iterator(first), std::make_move_iterator(last));
    builder.AddRewrittenUserLines(FilterInputText(userLines, flags));
    run = end;
  }
  return builder.Take();
}

}  // namespace sonacli

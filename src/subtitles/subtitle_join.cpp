#include "subtitles/subtitle_join.h"

#include <string>
#include <string_view>
#include <utility>

#include <unicode/uchar.h>

#include "common/char_classes.h"
#include "common/trim.h"

namespace sonacli {

namespace {

constexpr int64_t kCloseGapMs = 1600;
constexpr size_t kMaxJoinedLength = 700;
constexpr char16_t kEllipsis = u'\u2026';

bool IsLowerLetter(char16_t c) {
  return u_charType(c) == U_LOWERCASE_LETTER;
}

bool IsOpeningQuote(char16_t c) {
  return c == u'"' || c == u'\u00AB' || c == u'\u00BB' || c == u'\u2018' || c == u'\u201C' || c == u'\u201E';
}

bool IsClosingQuote(char16_t c) {
  return c == u'"' || c == u'\u00AB' || c == u'\u00BB' || c == u'\u201D' || c == u'\u2019' || c == u'\u201F';
}

bool IsSentenceEnd(char16_t c) {
  return c == u'.' || c == u'?' || c == u'!' || OtherTerminators(c);
}

bool NextStartsLower(std::u16string_view next) {
  return (!next.empty() && IsLowerLetter(next[0])) ||
         (next.size() >= 2 && IsOpeningQuote(next[0]) && IsLowerLetter(next[1]));
}

// "...", ",..", "!..", "?.." or "…" at the end.
bool EndsWithEllipsis(std::u16string_view text) {
  if (text.ends_with(kEllipsis)) return true;
  if (text.size() < 3 || !text.ends_with(u"..")) return false;
  const char16_t before = text[text.size() - 3];
  return before == u'.' || before == u',' || before == u'!' || before == u'?';
}

// A digit before any letter, an upper-case first letter or no letter at all.
bool NextStartsNewSentence(std::u16string_view next) {
  for (char16_t c : next) {
    if (DecimalDigit(c)) return true;
    if (u_isalpha(c)) return u_charType(c) == U_UPPERCASE_LETTER;
  }
  return true;
}

bool StartsWithAnyOf(std::u16string_view text, std::u16string_view marks) {
  return !text.empty() && marks.find(text.front()) != std::u16string_view::npos;
}

// The end of a joined text before the next one: an ellipsis is dropped, the "," "!" or "?" before
// a ".." stays.
void DropTrailingEllipsis(std::u16string& text) {
  if (text.ends_with(u"...")) {
    text.resize(text.size() - 3);
  } else if (text.ends_with(u",..") || text.ends_with(u"!..") || text.ends_with(u"?..")) {
    text.resize(text.size() - 2);
  } else if (text.ends_with(kEllipsis)) {
    text.pop_back();
  }
}

std::u16string_view WithoutLeadingEllipsis(std::u16string_view text) {
  if (text.starts_with(u"...")) return text.substr(3);
  if (text.starts_with(kEllipsis)) return text.substr(1);
  return text;
}

void TrimRightInPlace(std::u16string& text) {
  while (!text.empty() && text.back() <= u' ') text.pop_back();
}

bool Continues(const SubtitleList& subtitles, size_t i) {
  return IsCloseToNext(subtitles, i) && !IsBreakAfter(subtitles, i);
}

}  // namespace

bool IsCloseToNext(const SubtitleList& subtitles, size_t i) {
  return i + 1 < subtitles.size() && subtitles[i + 1].StartMs - subtitles[i].EndMs < kCloseGapMs;
}

bool IsBreakAfter(const SubtitleList& subtitles, size_t i) {
  if (i + 1 >= subtitles.size()) return true;
  const std::u16string_view cur = subtitles[i].Text;
  const std::u16string_view next = subtitles[i + 1].Text;
  if (cur.empty() || next.empty() || next == u"..." || next == std::u16string_view(&kEllipsis, 1))
    return true;
  if (StartsWithAnyOf(next, u"{<[\u00BF\u00A1")) return true;
  if (StartsWithAnyOf(next, u"-\u2014\u2013")) return true;
  if (EndsWithEllipsis(cur)) return !NextStartsLower(next);
  const char16_t last = cur.back();
  if (IsSentenceEnd(last)) return true;
  if (IsClosingQuote(last) && cur.size() >= 2 && IsSentenceEnd(cur[cur.size() - 2])) return true;
  if (last == u')' || last == u']') return !NextStartsLower(next);
  if (last == u':' || last == u',' || last == u';' || OtherCommas(last) || OtherSemicolons(last))
    return false;
  return NextStartsNewSentence(next);
}

void JoinContinuedSubtitles(SubtitleList& subtitles) {
  // Compacts in place: entry i goes to `kept` <= i, and only entries after i are read again.
  size_t kept = 0;
  size_t i = 0;
  while (i < subtitles.size()) {
    const bool continues = Continues(subtitles, i);
    TSubtitle entry = std::move(subtitles[i]);
    size_t k = i;
    if (continues) {
      std::u16string text = Trim(entry.Text);
      do {
        ++k;
        DropTrailingEllipsis(text);
        TrimRightInPlace(text);
        if (!text.empty()) text += u' ';
        text += Trim(WithoutLeadingEllipsis(subtitles[k].Text));
      } while (k + 1 < subtitles.size() && Continues(subtitles, k) && text.size() <= kMaxJoinedLength);
      entry.Text = std::move(text);
      entry.EndMs = subtitles[k].EndMs;
    }
    subtitles[kept++] = std::move(entry);
    i = k + 1;
  }
  subtitles.resize(kept);
}

}  // namespace sonacli

#include "subtitles/sync_text.h"

#include <algorithm>

#include "common/char_classes.h"
#include "common/trim.h"

namespace sonacli {

namespace {

constexpr char16_t kNoBreakSpace = 0x00A0;
constexpr char16_t kEnDash = 0x2013;

bool IsBreakChar(char16_t c) {
  return c == u' ' || c == u'\t' || c == 0x3000 || OtherTerminators(c) || OtherCommas(c) || OtherColons(c) ||
         OtherSemicolons(c);
}

std::u16string RemoveTags(std::u16string_view text) {
  std::u16string result;
  result.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    size_t open = text.find(u'<', pos);
    size_t close = open == std::u16string_view::npos ? open : text.find(u'>', open + 1);
    if (close == std::u16string_view::npos) break;
    result.append(text.substr(pos, open - pos));
    pos = close + 1;
  }
  result.append(text.substr(std::min(pos, text.size())));
  return result;
}

// The text being wrapped, read by 1-based positions.
class Rest {
 public:
  explicit Rest(std::u16string_view text) : text_(text) {}
  int64_t Length() const { return static_cast<int64_t>(text_.size()); }
  char16_t At(int64_t position) const { return text_[static_cast<size_t>(position - 1)]; }

 private:
  std::u16string_view text_;
};

// Position of the last character of the next line, or 0 when there is no place to cut. The scan runs
// from `size` down to `low`, so At(i - 1) and At(i - 3) (guarded) stay inside the text.
int64_t FindCut(const Rest& rest, int64_t size, int64_t low, int64_t half) {
  int64_t cut = 0;
  for (int64_t i = size; i >= low; --i) {
    const char16_t c = rest.At(i);
    if (IsBreakChar(c)) {
      if (cut == 0) cut = i;
      const char16_t before = rest.At(i - 1);
      if (before == u',' || before == u';' || before == u':' || before == u'-') {
        if (i >= half) cut = i;
        return cut;
      }
      if (before == kEnDash && i >= 5 && c == u' ') {
        const char16_t beforeDash = rest.At(i - 2);
        if (beforeDash == u' ' && (rest.At(i - 3) == u'.' || rest.At(i - 3) == u':')) {
          if (i >= half) cut = i - 2;  // the dash opens the next line
          return cut;
        }
        if (beforeDash == u' ' || beforeDash == kNoBreakSpace) {
          if (i >= half) cut = i;
          return cut;
        }
      }
      continue;
    }
    if (i >= 2 && c == u']' && rest.At(i - 1) == u'.') {
      for (int64_t p = i; p < rest.Length(); ++p) {
        if (rest.At(p) == u' ' || rest.At(p) == kNoBreakSpace) return p;
      }
    }
  }
  if (cut == 0 && size < 40 && (size / 2) * 3 < rest.Length()) {
    for (int64_t j = std::max<int64_t>(size - 1, 1); j <= rest.Length(); ++j) {
      if (IsBreakChar(rest.At(j))) return j;
    }
  }
  return cut;
}

// Moves the cut in front of an opening bracket that stands shortly before it, so that a bracket never
// ends a line.
int64_t BeforeOpeningBracket(const Rest& rest, int64_t cut, int64_t low) {
  static constexpr char16_t kPairs[][2] = {{u'[', u']'}, {u'(', u')'}, {u'{', u'}'}};
  int64_t result = cut;
  const int64_t lowest = std::max(cut - 7, low) + 1;
  for (const auto& pair : kPairs) {
    for (int64_t k = cut; k >= lowest; --k) {
      if (rest.At(k) == pair[1]) break;
      if (rest.At(k) == pair[0]) {
        result = std::min(result, k - 1);
        break;
      }
    }
  }
  return result;
}

}  // namespace

std::u16string CleanSyncText(std::u16string_view text) {
  std::u16string oneLine;
  oneLine.reserve(text.size());
  for (char16_t c : text) {
    if (c == u'\r') {
      oneLine.push_back(u' ');
    } else if (c != u'\n') {
      oneLine.push_back(c);
    }
  }
  return CollapseSpaces(RemoveTags(Trim(oneLine)));
}

std::vector<std::u16string> WrapSyncText(std::u16string_view text, int32_t size) {
  const int64_t limit = std::max<int32_t>(size, 1);
  const int64_t low = std::max<int64_t>(limit - 50, 10);
  const int64_t half = limit / 2 - 1;
  std::vector<std::u16string> lines;
  std::u16string_view rest = text;
  while (static_cast<int64_t>(rest.size()) > limit) {
    const Rest positions(rest);
    int64_t cut = FindCut(positions, limit, low, half);
    if (cut == 0) break;
    cut = BeforeOpeningBracket(positions, cut, low);
    lines.emplace_back(rest.substr(0, static_cast<size_t>(cut)));
    rest.remove_prefix(static_cast<size_t>(cut));
  }
  if (!rest.empty()) lines.emplace_back(rest);
  return lines;
}

}  // namespace sonacli

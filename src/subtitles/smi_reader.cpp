#include "subtitles/smi_reader.h"

#include <array>
#include <optional>
#include <string_view>

#include "subtitles/subtitle_text.h"
#include "subtitles/subtitle_time.h"
#include "subtitles/timed_caption.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kSyncStart = u"<sync start=";
constexpr std::array<std::u16string_view, 3> kLineBreaks = {u"<br>", u"<br/>", u"<br />"};
constexpr size_t kNone = std::u16string_view::npos;

bool IsAsciiDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// The ASCII `lowerPattern` at `at`, in any case.
bool MatchesAt(std::u16string_view text, size_t at, std::u16string_view lowerPattern) {
  if (text.size() - at < lowerPattern.size()) return false;
  for (size_t i = 0; i < lowerPattern.size(); ++i) {
    if (AsciiLower(text[at + i]) != lowerPattern[i]) return false;
  }
  return true;
}

// The length of a "<br>" tag at `at`, 0 when there is none.
size_t LineBreakAt(std::u16string_view text, size_t at) {
  for (std::u16string_view tag : kLineBreaks) {
    if (MatchesAt(text, at, tag)) return tag.size();
  }
  return 0;
}

void AppendSpace(std::u16string& text) {
  if (text.empty() || text.back() != u' ') text.push_back(u' ');
}

// The whole text on one line: line breaks and "<br>" tags become spaces, runs of spaces one space.
std::u16string OneLine(const std::vector<std::u16string>& lines) {
  std::u16string text;
  size_t length = 0;
  for (const std::u16string& line : lines) length += line.size() + 1;
  text.reserve(length);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) AppendSpace(text);
    const std::u16string_view line = lines[i];
    for (size_t at = 0; at < line.size();) {
      const size_t tag = line[at] == u'<' ? LineBreakAt(line, at) : 0;
      if (tag > 0 || line[at] == u' ') {
        AppendSpace(text);
        at += tag > 0 ? tag : 1;
      } else {
        text.push_back(line[at++]);
      }
    }
  }
  return text;
}

// The next "<sync start=" in any case from `from`.
size_t FindSync(std::u16string_view text, size_t from) {
  for (size_t at = text.find(u'<', from); at != kNone; at = text.find(u'<', at + 1)) {
    if (MatchesAt(text, at, kSyncStart)) return at;
  }
  return kNone;
}

// The first run of digits in the tag's attribute text: the start time. Attributes after it (an
// end time, an identifier) do not add to it. A run too long for the time counts as 0.
std::optional<int64_t> SyncTime(std::u16string_view attributes) {
  size_t first = 0;
  while (first < attributes.size() && !IsAsciiDigit(attributes[first])) ++first;
  if (first == attributes.size()) return std::nullopt;
  size_t end = first;
  while (end < attributes.size() && IsAsciiDigit(attributes[end])) ++end;
  return ParseDecimalInteger(attributes.substr(first, end - first)).value_or(0);
}

std::u16string CleanCaption(std::u16string_view caption) {
  return std::u16string(TrimmedView(ReplaceCaseless(KeepLangTags(StripAngleTags(caption)), u"&nbsp;", u" ")));
}

}  // namespace

SubtitleList ReadSmi(const std::vector<std::u16string>& lines) {
  const std::u16string oneLine = OneLine(lines);
  const std::u16string_view text = oneLine;
  SubtitleList subtitles;
  for (size_t at = FindSync(text, 0); at != kNone;) {
    const size_t attributes = at + kSyncStart.size();
    const size_t close = text.find(u'>', attributes);
    if (close == kNone) break;
    const std::optional<int64_t> time = SyncTime(text.substr(attributes, close - attributes));
    if (!time) break;
    const size_t next = FindSync(text, close + 1);
    const size_t captionEnd = next == kNone ? text.size() : next;
    AddTimedCaption(subtitles, *time, CleanCaption(text.substr(close + 1, captionEnd - close - 1)));
    at = next;
  }
  return subtitles;
}

}  // namespace sonacli

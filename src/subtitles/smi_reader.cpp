#include "subtitles/smi_reader.h"

#include <optional>
#include <string_view>
#include <utility>

#include "common/trim.h"
#include "common/unicode_text.h"
#include "subtitles/subtitle_text.h"
#include "subtitles/subtitle_time.h"
#include "subtitles/timed_caption.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kSyncStart = u"<sync start=";
constexpr size_t kNone = std::u16string_view::npos;

bool IsAsciiDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// The whole text on one line: line breaks and "<br>" tags become spaces, runs of spaces one space.
std::u16string OneLine(const std::vector<std::u16string>& lines) {
  std::u16string text = JoinLines(lines);
  for (std::u16string_view br : {u"<br>", u"<br/>", u"<br />"}) text = ReplaceCaseless(text, br, u" ");
  text = ReplaceCaseless(text, u"\r\n", u" ");
  std::u16string single;
  single.reserve(text.size());
  for (char16_t c : text) {
    if (c != u' ' || single.empty() || single.back() != u' ') single.push_back(c);
  }
  return single;
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
  return Trim(ReplaceCaseless(KeepLangTags(StripAngleTags(caption)), u"&nbsp;", u" "));
}

}  // namespace

SubtitleList ReadSmi(const std::vector<std::u16string>& lines) {
  const std::u16string text = OneLine(lines);
  const std::u16string lower = LowerCase(text);
  const std::u16string_view view = text;
  std::vector<TTimedCaption> captions;
  for (size_t at = lower.find(kSyncStart); at != kNone;) {
    const size_t attributes = at + kSyncStart.size();
    const size_t close = lower.find(u'>', attributes);
    if (close == kNone) break;
    const std::optional<int64_t> time = SyncTime(view.substr(attributes, close - attributes));
    if (!time) break;
    const size_t next = lower.find(kSyncStart, close + 1);
    const size_t captionEnd = next == kNone ? text.size() : next;
    captions.push_back({*time, CleanCaption(view.substr(close + 1, captionEnd - close - 1))});
    at = next;
  }
  return SubtitlesFromCaptions(std::move(captions));
}

}  // namespace sonacli

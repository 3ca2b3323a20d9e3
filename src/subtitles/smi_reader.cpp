#include "subtitles/smi_reader.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "subtitles/html_entities.h"
#include "subtitles/subtitle_text.h"
#include "subtitles/subtitle_time.h"
#include "subtitles/timed_caption.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kSyncStart = u"<sync start=";
constexpr std::array<std::u16string_view, 3> kLineBreaks = {u"<br>", u"<br/>", u"<br />"};
constexpr size_t kNone = std::u16string_view::npos;

// The length of a "<br>" tag at `at`, 0 when there is none.
size_t LineBreakAt(std::u16string_view text, size_t at) {
  for (std::u16string_view tag : kLineBreaks) {
    if (MatchesCaseless(text, at, tag)) return tag.size();
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
    if (MatchesCaseless(text, at, kSyncStart)) return at;
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
  TCleaning cleaning(caption);
  cleaning.Apply(u"<", &StripAngleTags);
  cleaning.Apply(u"{{", &KeepLangAndChapterTags);
  cleaning.Apply(u"&", &DecodeHtmlEntities);
  return cleaning.Trimmed();
}

bool IsSpaceOrTab(char16_t c) {
  return c == u' ' || c == u'\t';
}

// The next paragraph tag ("<p" before a space, "/" or ">", in any case) from `from`.
size_t FindParagraph(std::u16string_view text, size_t from) {
  for (size_t at = text.find(u'<', from); at != kNone; at = text.find(u'<', at + 1)) {
    if (!MatchesCaseless(text, at, u"<p") || at + 2 == text.size()) continue;
    const char16_t after = text[at + 2];
    if (IsSpaceOrTab(after) || after == u'/' || after == u'>') return at;
  }
  return kNone;
}

// Where the tag at `open` ends: at its ">", or before the next "<" when a ">" is missing.
size_t TagEnd(std::u16string_view text, size_t open) {
  const size_t end = text.find_first_of(u"<>", open + 1);
  return end == kNone ? text.size() : end;
}

// The value of the class attribute of a tag ('class=ENCC', 'CLASS="KRCC"'), empty when it has none.
std::u16string_view ClassOf(std::u16string_view tag) {
  for (size_t at = 1; at + 1 < tag.size(); ++at) {
    if (!IsSpaceOrTab(tag[at - 1]) || !MatchesCaseless(tag, at, u"class")) continue;
    size_t value = at + 5;
    while (value < tag.size() && IsSpaceOrTab(tag[value])) ++value;
    if (value == tag.size() || tag[value] != u'=') continue;
    ++value;
    while (value < tag.size() && IsSpaceOrTab(tag[value])) ++value;
    const bool quoted = value < tag.size() && (tag[value] == u'"' || tag[value] == u'\'');
    if (quoted) ++value;
    size_t end = value;
    while (end < tag.size() && !IsSpaceOrTab(tag[end]) && tag[end] != u'"' && tag[end] != u'\'' &&
           tag[end] != u'>')
      ++end;
    return tag.substr(value, end - value);
  }
  return {};
}

bool SameClass(std::u16string_view name, std::u16string_view lowerChosen) {
  return name.size() == lowerChosen.size() && MatchesCaseless(name, 0, lowerChosen);
}

// The class to read: the one asked for, else the first that a paragraph names; lower case. Empty
// when neither names one: then every paragraph is read.
std::u16string ChosenClass(std::u16string_view text, std::u16string_view asked) {
  std::u16string_view name = asked;
  for (size_t at = FindParagraph(text, 0); name.empty() && at != kNone;) {
    const size_t end = TagEnd(text, at);
    name = ClassOf(text.substr(at, end - at));
    at = FindParagraph(text, end);
  }
  std::u16string lower(name);
  for (char16_t& c : lower) c = AsciiLower(c);
  return lower;
}

// The part of a caption in the chosen class: the text before its first paragraph and the
// paragraphs of that class or of none. Of a caption whose paragraphs are all of other classes,
// nothing is (another language's line).
struct ClassCaption {
  bool Whole = true;    // nothing was left out: the caption is read as it stands
  std::u16string Kept;  // else the parts kept
  bool OtherClassesOnly = false;
};

// A paragraph at `at` (ending at `tagEnd`) of the chosen class or of none.
bool InChosenClass(std::u16string_view caption, size_t at, size_t tagEnd, std::u16string_view chosenClass) {
  const std::u16string_view name = ClassOf(caption.substr(at, tagEnd - at));
  return name.empty() || SameClass(name, chosenClass);
}

ClassCaption CaptionInClass(std::u16string_view caption, std::u16string_view chosenClass) {
  const size_t first = chosenClass.empty() ? kNone : FindParagraph(caption, 0);
  bool leftOut = false;
  for (size_t at = first; at != kNone && !leftOut;) {
    const size_t tagEnd = TagEnd(caption, at);
    leftOut = !InChosenClass(caption, at, tagEnd, chosenClass);
    at = FindParagraph(caption, tagEnd);
  }
  if (!leftOut) return {};  // most captions: one language, or the chosen one only
  ClassCaption part{false, std::u16string(caption.substr(0, first)), true};
  for (size_t at = first; at != kNone;) {
    const size_t tagEnd = TagEnd(caption, at);
    const size_t next = FindParagraph(caption, tagEnd);
    if (InChosenClass(caption, at, tagEnd, chosenClass)) {
      part.OtherClassesOnly = false;
      part.Kept.append(caption.substr(at, (next == kNone ? caption.size() : next) - at));
    }
    at = next;
  }
  return part;
}

}  // namespace

SubtitleList ReadSmi(const std::vector<std::u16string>& lines, std::u16string_view className) {
  const std::u16string oneLine = OneLine(lines);
  const std::u16string_view text = oneLine;
  const std::u16string chosenClass = ChosenClass(text, className);
  SubtitleList subtitles;
  for (size_t at = FindSync(text, 0); at != kNone;) {
    const size_t attributes = at + kSyncStart.size();
    const size_t close = text.find(u'>', attributes);
    if (close == kNone) break;
    const std::optional<int64_t> time = SyncTime(text.substr(attributes, close - attributes));
    if (!time) break;
    const size_t next = FindSync(text, close + 1);
    const size_t captionEnd = next == kNone ? text.size() : next;
    const std::u16string_view whole = text.substr(close + 1, captionEnd - close - 1);
    const ClassCaption caption = CaptionInClass(whole, chosenClass);
    std::u16string cleaned = CleanCaption(caption.Whole ? whole : std::u16string_view(caption.Kept));
    // Another language's line neither starts nor ends one of the chosen language.
    if (!caption.OtherClassesOnly || !cleaned.empty()) AddTimedCaption(subtitles, *time, std::move(cleaned));
    at = next;
  }
  return subtitles;
}

}  // namespace sonacli

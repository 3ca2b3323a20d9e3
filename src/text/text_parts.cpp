#include "text/text_parts.h"

#include <cstdint>
#include <functional>
#include <optional>

#include "common/trim.h"
#include "common/unicode_text.h"
#include "platform/file_system.h"
#include "text/chapter_tag.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kLangTag = u"{{lang=";
constexpr std::u16string_view kAudioTag = u"{{audio=";
constexpr std::u16string_view kPauseTag = u"{{pause=";
constexpr std::u16string_view kTagClose = u"}}";

bool IsTextPart(const TTextPart& part) {
  return part.Language != kAudioPart && part.Language != kPausePart && part.Language != kPauseParaPart &&
         part.Language != kChapterPart;
}

// A positive decimal integer that fits 32 bits.
bool IsPositiveInteger(std::u16string_view text) {
  if (!text.empty() && text.front() == u'+') text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return false;
  int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  return value > 0 && value <= INT32_MAX;
}

// Makes the part for one closed tag, given the text between its "=" and "}}" and the character
// after the "}}" (0 at the end of the text); none when the tag makes no part.
using TagPartMaker = std::function<std::optional<TTextPart>(std::u16string_view value, char16_t after,
                                                            const TTextPart& source)>;

std::optional<TTextPart> MakeAudioPart(std::u16string_view value, char16_t, const TTextPart& source) {
  return TTextPart(kAudioPart, std::u16string(value), source);
}

std::optional<TTextPart> MakePausePart(std::u16string_view value, char16_t after, const TTextPart& source) {
  std::u16string ms = Trim(value);
  if (!IsPositiveInteger(ms)) return std::nullopt;
  return TTextPart(after == u'\r' ? kPauseParaPart : kPausePart, std::move(ms), source);
}

std::optional<TTextPart> MakeChapterPart(std::u16string_view value, char16_t, const TTextPart& source) {
  return TTextPart(kChapterPart, ChapterTitleOfTag(value), source);
}

// Appends the parts that one text part becomes when its closed tags are expanded.
void ExpandPart(const TTextPart& part, std::u16string_view tag, const TagPartMaker& make,
                std::vector<TTextPart>& out) {
  const std::u16string lower = LowerCase(part.Text);
  std::u16string_view text(part.Text);
  std::u16string_view lowerText(lower);
  auto advance = [&](size_t count) {
    text.remove_prefix(count);
    lowerText.remove_prefix(count);
  };
  auto emitTextBefore = [&](size_t tagAt) {
    std::u16string before = Trim(text.substr(0, tagAt));
    if (!before.empty()) out.emplace_back(part.Language, std::move(before), part);
    advance(tagAt);
  };
  emitTextBefore(lowerText.find(tag));
  size_t close;
  while (lowerText.starts_with(tag) && (close = text.find(kTagClose)) != std::u16string_view::npos) {
    char16_t after = close + kTagClose.size() < text.size() ? text[close + kTagClose.size()] : u'\0';
    if (std::optional<TTextPart> insert = make(text.substr(tag.size(), close - tag.size()), after, part)) {
      out.push_back(std::move(*insert));
    }
    advance(close + kTagClose.size());
    size_t next = lowerText.find(tag);
    if (next != std::u16string_view::npos) emitTextBefore(next);
  }
  std::u16string rest = Trim(text);
  if (!rest.empty()) out.emplace_back(part.Language, std::move(rest), part);
}

std::vector<TTextPart> ExpandTags(std::vector<TTextPart>& parts, std::u16string_view tag,
                                  const TagPartMaker& make) {
  std::vector<TTextPart> out;
  out.reserve(parts.size());
  for (TTextPart& part : parts) {
    if (IsTextPart(part) && LowerCase(part.Text).find(tag) != std::u16string::npos) {
      ExpandPart(part, tag, make, out);
    } else {
      out.push_back(std::move(part));
    }
  }
  return out;
}

}  // namespace

TTextParts::TTextParts(std::u16string_view text, const TPartSettings& defaults) {
  const std::u16string trimmed = Trim(text);
  const std::u16string lower = LowerCase(trimmed);
  std::u16string_view rest(trimmed);
  std::u16string_view lowerRest(lower);
  // Every "{{lang=" begins a new part; the text before the first one keeps the defaults.
  for (size_t at = lowerRest.find(kLangTag, 1); at != std::u16string_view::npos;
       at = lowerRest.find(kLangTag, 1)) {
    parts_.emplace_back(std::u16string(rest.substr(0, at)), defaults);
    rest.remove_prefix(at);
    lowerRest.remove_prefix(at);
  }
  if (!rest.empty()) parts_.emplace_back(std::u16string(rest), defaults);
  ExpandAudioTags();
  ExpandPauseTags();
  ExpandChapterTags();
}

void TTextParts::ExpandAudioTags() {
  parts_ = ExpandTags(parts_, kAudioTag, MakeAudioPart);
}

void TTextParts::ExpandPauseTags() {
  parts_ = ExpandTags(parts_, kPauseTag, MakePausePart);
}

void TTextParts::ExpandChapterTags() {
  parts_ = ExpandTags(parts_, kChapterTagStart, MakeChapterPart);
}

bool IsAudioInsertInvalid(std::u16string_view fileName) {
  const std::u16string extension = LowerCase(ExtensionOf(fileName));
  return !FileExists(fileName) || (extension != u".wav" && extension != u".mp3");
}

std::vector<std::u16string> AudioInsertNames(const std::vector<std::u16string>& lines) {
  std::vector<std::u16string> names;
  for (const std::u16string& line : lines) {
    // Most lines hold no tag at all: they are not lowered.
    if (line.find(u"{{") == std::u16string::npos) continue;
    const std::u16string lower = LowerCase(line);
    for (size_t at = lower.find(kAudioTag); at != std::u16string::npos; at = lower.find(kAudioTag, at + 1)) {
      const size_t close = line.find(kTagClose, at);
      if (close == std::u16string::npos) break;
      names.push_back(line.substr(at + kAudioTag.size(), close - at - kAudioTag.size()));
    }
  }
  return names;
}

}  // namespace sonacli

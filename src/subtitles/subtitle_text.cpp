#include "subtitles/subtitle_text.h"

#include "common/trim.h"

namespace sonacli {

namespace {

constexpr size_t kNone = std::u16string_view::npos;

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool StartsCaseless(std::u16string_view text, size_t at, std::u16string_view pattern) {
  if (text.size() - at < pattern.size()) return false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (AsciiLower(text[at + i]) != AsciiLower(pattern[i])) return false;
  }
  return true;
}

// A brace whose neighbours are not the same brace.
bool IsSingle(std::u16string_view text, size_t at) {
  const char16_t brace = text[at];
  return (at == 0 || text[at - 1] != brace) && (at + 1 == text.size() || text[at + 1] != brace);
}

// The next single `brace` from `from`, or kNone.
size_t FindSingle(std::u16string_view text, char16_t brace, size_t from) {
  for (size_t at = text.find(brace, from); at != kNone; at = text.find(brace, at + 1)) {
    if (IsSingle(text, at)) return at;
  }
  return kNone;
}

}  // namespace

std::u16string StripAngleTags(std::u16string_view text) {
  std::u16string kept;
  kept.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(u'<', at);
    kept.append(text.substr(at, open == kNone ? kNone : open - at));
    if (open == kNone) break;
    const size_t close = text.find(u'>', open + 1);
    if (close == kNone) break;
    at = close + 1;
  }
  return kept;
}

std::u16string KeepLangTags(std::u16string_view text) {
  std::u16string kept;
  kept.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(u"{{", at);
    kept.append(text.substr(at, open == kNone ? kNone : open - at));
    if (open == kNone) break;
    const size_t close = text.find(u"}}", open + 2);
    if (close == kNone) break;
    const std::u16string_view block = text.substr(open, close + 2 - open);
    if (StartsCaseless(block, 0, u"{{lang=")) kept.append(block);
    at = close + 2;
  }
  return kept;
}

std::u16string StripOverrideBlocks(std::u16string_view text) {
  std::u16string kept;
  kept.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = FindSingle(text, u'{', at);
    const size_t close = open == kNone ? kNone : FindSingle(text, u'}', open + 1);
    if (close == kNone) {
      kept.append(text.substr(at));
      break;
    }
    kept.append(text.substr(at, open - at));
    at = close + 1;
  }
  return kept;
}

std::u16string CleanCueText(std::u16string_view text) {
  if (text.find_first_of(u"<{") == kNone) return std::u16string(TrimmedView(text));  // nothing to strip
  return Trim(KeepLangTags(StripAngleTags(text)));
}

std::u16string_view TrimmedLeftView(std::u16string_view text) {
  while (!text.empty() && text.front() <= u' ') text.remove_prefix(1);
  return text;
}

std::u16string_view TrimmedView(std::u16string_view text) {
  text = TrimmedLeftView(text);
  while (!text.empty() && text.back() <= u' ') text.remove_suffix(1);
  return text;
}

bool IsBlankLine(std::u16string_view line) {
  for (char16_t c : line) {
    if (c > 0x20) return false;
  }
  return true;
}

std::u16string ReplaceCaseless(std::u16string_view text, std::u16string_view pattern,
                               std::u16string_view by) {
  std::u16string result;
  result.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    if (!pattern.empty() && StartsCaseless(text, at, pattern)) {
      result.append(by);
      at += pattern.size();
    } else {
      result.push_back(text[at++]);
    }
  }
  return result;
}

}  // namespace sonacli

#include "subtitles/subtitle_text.h"

#include <optional>

#include "subtitles/html_entities.h"

namespace sonacli {

namespace {

constexpr size_t kNone = std::u16string_view::npos;

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

// An override block: the positions of its "{" and of its "}" (kNone when either is missing).
struct Block {
  size_t Open;
  size_t Close;
};
using BlockFinder = Block (*)(std::u16string_view text, size_t from);

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The drawing mode an override block sets: its last "\p<scale>" (not "\pos" or "\pbo"), where a
// scale above 0 draws and 0 ends the drawing; nullopt when the block does not set it.
std::optional<bool> DrawingModeOf(std::u16string_view block) {
  std::optional<bool> drawing;
  for (size_t at = block.find(u"\\p"); at != kNone; at = block.find(u"\\p", at + 2)) {
    size_t digit = at + 2;
    if (digit == block.size() || !IsAsciiDigit(block[digit])) continue;
    bool nonZero = false;
    for (; digit < block.size() && IsAsciiDigit(block[digit]); ++digit) nonZero |= block[digit] != u'0';
    drawing = nonZero;
  }
  return drawing;
}

// Removes the override blocks that `find` gives and, from a block that switches drawing on to one
// that switches it off (or the end), the drawing commands between them: they are shapes, not text.
// A block without its "}" and what follows stay.
std::u16string StripBlocks(std::u16string_view text, BlockFinder find) {
  std::u16string kept;
  kept.reserve(text.size());
  bool drawing = false;
  size_t at = 0;
  while (at < text.size()) {
    const Block block = find(text, at);
    const size_t end = block.Close == kNone ? text.size() : block.Open;
    if (!drawing) kept.append(text.substr(at, end - at));
    if (block.Close == kNone) break;
    drawing = DrawingModeOf(text.substr(block.Open, block.Close - block.Open)).value_or(drawing);
    at = block.Close + 1;
  }
  return kept;
}

bool IsTagNameCharacter(char16_t c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == u'.' || c == u'-' || c == u'_';
}

// The length of the markup tag at `at`, 0 when the "<" there opens none. A tag is "<", an optional
// "/", a letter, more letters, digits, ".", "-" or "_", then ">", "/>", or a space or tab followed
// by attributes up to the ">" with no "<" among them. A "<" before a digit, a space or the end is
// text ("2<3", "a < b").
size_t MarkupTagLength(std::u16string_view text, size_t at) {
  size_t end = at + 1;
  if (end < text.size() && text[end] == u'/') ++end;
  if (end == text.size() || !IsAsciiLetter(text[end])) return 0;
  while (end < text.size() && IsTagNameCharacter(text[end])) ++end;
  if (end == text.size()) return 0;
  if (text[end] == u'>') return end + 1 - at;
  if (text[end] == u'/') return end + 1 < text.size() && text[end + 1] == u'>' ? end + 2 - at : 0;
  if (text[end] != u' ' && text[end] != u'\t') return 0;
  const size_t close = text.find_first_of(u"<>", end);
  return close != kNone && text[close] == u'>' ? close + 1 - at : 0;
}

}  // namespace

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool IsAsciiDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

bool MatchesCaseless(std::u16string_view text, size_t at, std::u16string_view lowerPattern) {
  if (at > text.size() || text.size() - at < lowerPattern.size()) return false;
  for (size_t i = 0; i < lowerPattern.size(); ++i) {
    if (AsciiLower(text[at + i]) != lowerPattern[i]) return false;
  }
  return true;
}

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

std::u16string KeepLangAndChapterTags(std::u16string_view text) {
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
    if (MatchesCaseless(block, 0, u"{{lang=") || MatchesCaseless(block, 0, u"{{chapter=")) kept.append(block);
    at = close + 2;
  }
  return kept;
}

std::u16string StripOverrideBlocks(std::u16string_view text) {
  return StripBlocks(text, [](std::u16string_view t, size_t from) -> Block {
    const size_t open = FindSingle(t, u'{', from);
    return {open, open == kNone ? kNone : FindSingle(t, u'}', open + 1)};
  });
}

std::u16string StripSrtOverrideBlocks(std::u16string_view text) {
  return StripBlocks(text, [](std::u16string_view t, size_t from) -> Block {
    const size_t open = t.find(u"{\\", from);
    return {open, open == kNone ? kNone : t.find(u'}', open + 2)};
  });
}

std::u16string StripMarkupTags(std::u16string_view text) {
  std::u16string kept;
  kept.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(u'<', at);
    kept.append(text.substr(at, open == kNone ? kNone : open - at));
    if (open == kNone) break;
    const size_t length = MarkupTagLength(text, open);
    if (length == 0) kept.push_back(u'<');
    at = open + (length == 0 ? 1 : length);
  }
  return kept;
}

std::u16string ReplaceBreakCodes(std::u16string_view text) {
  if (text.find(u'\\') == kNone) return std::u16string(text);
  std::u16string result;
  result.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at) {
    const char16_t next = at + 1 < text.size() ? text[at + 1] : u'\0';
    if (text[at] == u'\\' && (next == u'N' || next == u'n' || next == u'h')) {
      result.push_back(u' ');
      ++at;
    } else {
      result.push_back(text[at]);
    }
  }
  return result;
}

std::u16string CleanSrtText(std::u16string_view text) {
  TCleaning cleaning(text);
  cleaning.Apply(u"{\\", &StripSrtOverrideBlocks);
  cleaning.Apply(u"<", &StripMarkupTags);
  cleaning.Apply(u"{{", &KeepLangAndChapterTags);
  cleaning.Apply(u"\\", &ReplaceBreakCodes);
  return cleaning.Trimmed();
}

std::u16string CleanVttText(std::u16string_view text) {
  TCleaning cleaning(text);
  cleaning.Apply(u"<", &StripAngleTags);
  cleaning.Apply(u"{{", &KeepLangAndChapterTags);
  cleaning.Apply(u"&", &DecodeHtmlEntities);
  return cleaning.Trimmed();
}

void TCleaning::Apply(std::u16string_view mark, std::u16string (*clean)(std::u16string_view)) {
  if (Text().find(mark) == kNone) return;
  cleaned_ = clean(Text());
  changed_ = true;
}

std::u16string TCleaning::Trimmed() const {
  return std::u16string(TrimmedView(Text()));
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

}  // namespace sonacli

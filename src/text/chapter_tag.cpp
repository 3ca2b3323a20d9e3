#include "text/chapter_tag.h"

#include <string>

#include <unicode/utf16.h>

#include "common/trim.h"
#include "common/unicode_text.h"

namespace sonacli {

namespace {

std::u16string BreakUpBraces(std::u16string text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    const char16_t c = text[i];
    if ((c == u'{' || c == u'}') && text[i + 1] == c) {
      text.insert(i + 1, 1, u' ');
      ++i;
    }
  }
  return text;
}

}  // namespace

std::u16string ChapterTag(std::u16string_view title) {
  std::u16string tag(kChapterTagStart);
  tag += BreakUpBraces(ChapterTitleOfTag(title));
  // A closing brace of the title would make the tag's end "}}}", read as ending one brace early.
  if (tag.back() == u'}') tag += u' ';
  tag += u"}}";
  return tag;
}

std::u16string ChapterTitleOfTag(std::u16string_view value) {
  std::u16string flat(value);
  for (char16_t& c : flat) {
    // C0 and C1 controls, and the line and paragraph separators.
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) c = u' ';
  }
  return Trim(CollapseSpaces(flat));
}

std::u16string ChapterTitleOfLine(std::u16string_view line) {
  std::u16string title = ChapterTitleOfTag(line);
  if (title.size() <= kMaxLineTitleLength) return title;
  size_t cut = kMaxLineTitleLength - 1;  // room for the ellipsis
  const size_t space = title.rfind(u' ', cut);
  if (space != std::u16string::npos && space > cut / 2) {
    cut = space;
  } else if (U16_IS_TRAIL(title[cut]) && U16_IS_LEAD(title[cut - 1])) {
    --cut;  // never half a surrogate pair
  }
  title.resize(cut);
  return TrimRight(title) + u"\u2026";
}

std::u16string DefaultChapterTitle(size_t number) {
  return u"Chapter " + ToUtf16(std::to_string(number));
}

}  // namespace sonacli

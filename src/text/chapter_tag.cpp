#include "text/chapter_tag.h"

#include "common/trim.h"

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
  std::u16string flat(title);
  for (char16_t& c : flat) {
    if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
  }
  std::u16string tag(kChapterTagStart);
  tag += BreakUpBraces(Trim(CollapseSpaces(flat)));
  // A closing brace of the title would make the tag's end "}}}", read as ending one brace early.
  if (tag.back() == u'}') tag += u' ';
  tag += u"}}";
  return tag;
}

}  // namespace sonacli

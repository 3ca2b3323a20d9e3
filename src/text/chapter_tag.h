// The inline tag that starts a chapter: "{{chapter=Title}}". Besides users, the list-file and book
// readers put one at the first line of each chapter, so every chapter source ends in the same list.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

inline constexpr std::u16string_view kChapterTagStart = u"{{chapter=";

// The tag that starts a chapter of this title. The title is made to fit in one tag: line breaks
// and tabs become spaces, runs of spaces one space, the ends trimmed, and "{{" and "}}" are broken
// up ("{ {", "} }") so that a title can neither end the tag early nor hold another tag.
std::u16string ChapterTag(std::u16string_view title);

}  // namespace sonacli

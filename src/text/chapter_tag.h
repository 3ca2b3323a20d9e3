// The inline tag that starts a chapter: "{{chapter=Title}}". Besides users, the list-file and book
// readers put one at the first line of each chapter, so every chapter source ends in the same list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonacli {

inline constexpr std::u16string_view kChapterTagStart = u"{{chapter=";

// The tag that starts a chapter of this title. The title is made to fit in one tag: line breaks
// and tabs become spaces, runs of spaces one space, the ends trimmed, and "{{" and "}}" are broken
// up ("{ {", "} }") so that a title can neither end the tag early nor hold another tag.
std::u16string ChapterTag(std::u16string_view title);

// The title a tag gives, from the text between "{{chapter=" and "}}": as one line (line breaks,
// tabs and other control characters become spaces, runs of spaces one space), trimmed. Empty
// when the tag gives no title.
std::u16string ChapterTitleOfTag(std::u16string_view value);

// Titles taken from a text's first line are cut to this many characters: a text without a heading
// would otherwise give its whole first paragraph.
inline constexpr size_t kMaxLineTitleLength = 200;

// The title a line of text gives a chapter: the line as one trimmed line (ChapterTitleOfTag); a
// longer one is cut after its last whole word within kMaxLineTitleLength characters and ends in
// "…".
std::u16string ChapterTitleOfLine(std::u16string_view line);

// The title of the run's `number`th chapter (from 1) when its tag gave none: "Chapter 3".
std::u16string DefaultChapterTitle(size_t number);

}  // namespace sonacli

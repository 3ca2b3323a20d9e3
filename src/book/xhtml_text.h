// The text of one XHTML content document of an EPUB.
//
// Blocks (paragraphs, headings, list items, table cells, and any element not known as inline)
// each start a new line; inline elements (a, b, em, span, ruby ...) join their text; <br> breaks
// the line and <pre> keeps its line breaks. Not read: the head, scripts, styles, pictures (svg,
// img, video ...), formulas (math), ruby annotations (rt, rp: a ruby reads as its base text),
// navigation (nav), asides, and notes: elements whose epub:type, role or class names a note or a
// reference to one (note_marks.h), and links to a fragment whose text is a note mark.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "book/book.h"
#include "book/book_text.h"

namespace sonacli {

struct TXhtmlMarks {
  std::map<std::string, size_t> Anchors;  // each wanted id found, with the line its element starts at
  std::vector<TBookChapter> Headings;     // each h1 and h2 with text, titled by it
};

// Appends the document's text to `text`; the ids in `wantedIds` (the targets of the navigation)
// are looked for in id attributes and in the name of <a>. False with the message when the
// document is not well-formed or the text outgrows its limit; the text may then hold part of it.
bool ReadXhtmlText(std::string_view xhtml, const std::set<std::string>& wantedIds, TBookText& text,
                   TXhtmlMarks& marks, std::string& error);

}  // namespace sonacli

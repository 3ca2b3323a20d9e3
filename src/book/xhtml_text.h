// The text of one XHTML content document of an EPUB.
//
// Blocks (paragraphs, headings, list items, table cells, and any element not known as inline)
// each start a new line; inline elements (a, b, em, span, ruby ...) join their text; <br> breaks
// the line and <pre> keeps its line breaks. Not read: the head, scripts, styles, pictures (svg,
// img, video ...), formulas (math), ruby annotations (rt, rp: a ruby reads as its base text),
// asides, and notes: elements whose epub:type, role or class names a note or a reference to one
// (note_marks.h), and links to a fragment whose text is a note mark. Left out unless all parts are
// read: the parts a listener does not want to hear (LeftOutKind), marked on a body, section, div,
// article or nav (a nav is a table of contents unless it says otherwise), or named by the
// caller by their ids; their lines are taken out of the text again.
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

// The kind of boilerplate that an epub:type, a role or an EPUB 2 guide type names: one of
// "copyright-page", "imprint", "colophon", "toc", "toc-brief", "index", "loi", "lot", "lov",
// "loa", "landmarks" and "page-list" (a role's "doc-toc" is "toc", "doc-pagelist" "page-list";
// a guide's "other.imprint" is "imprint"); empty when the value names none of them (a title page,
// a dedication, a foreword ... are read).
std::string LeftOutKind(std::string_view types);

struct TXhtmlReadOptions {
  // The ids that the navigation leads to: where their elements start is looked for (in id
  // attributes and in the name of <a>).
  std::set<std::string> WantedIds;
  // Elements to leave out by their id, with their kind (landmarks and guide references that lead
  // to a fragment).
  std::map<std::string, std::string> LeftOutIds;
  // Every part is read, boilerplate too; LeftOutIds is then not looked at.
  bool AllParts = false;
};

// A part of the document that was left out: its kind, the title of its first heading (empty for
// none), the characters of its text and its element's id.
struct TXhtmlLeftOut {
  std::string Kind;
  std::u16string Title;
  size_t Characters = 0;
  std::string Id;
};

// A number glued to a word that is the text of a link (note_marks.h): the passage kept
// tentatively in the text, and where the link leads.
struct TGluedNumber {
  size_t Passage = 0;
  std::string Href;
};

struct TXhtmlMarks {
  std::map<std::string, size_t> Anchors;  // each wanted id found in text read, with its element's line
  std::set<std::string> Unread;           // the wanted ids found in content not read or left out
  std::vector<TBookChapter> Headings;     // each h1 and h2 with text, titled by it
  std::set<std::string> NoteIds;          // the ids of notes and of the elements inside them
  std::vector<TGluedNumber> GluedNumbers;
  std::vector<TXhtmlLeftOut> LeftOut;  // in the document's order
};

// Appends the document's text to `text`. False with the message when the document is not
// well-formed or the text outgrows its limit; the text may then hold part of it.
bool ReadXhtmlText(std::string_view xhtml, const TXhtmlReadOptions& options, TBookText& text,
                   TXhtmlMarks& marks, std::string& error);

}  // namespace sonacli

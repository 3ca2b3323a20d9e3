// How notes show in the text of books, so that they are not read in the middle of a sentence.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "book/book_text.h"

namespace sonacli {

// The value of a class, epub:type or role attribute marks a note or a reference to one: one of
// its space-separated tokens is, in any case, "footnote", "footnotes", "endnote", "endnotes",
// "rearnote", "rearnotes", "noteref", "note-ref", "footnoteref", "footnote-ref", "footnote-link",
// "endnoteref", "endnote-ref", "doc-footnote", "doc-endnote", "doc-endnotes" or "doc-noteref".
bool NamesNote(std::string_view tokens);

// The href leads to a fragment of a document of the book, as the link of a note does.
bool LeadsToFragment(std::string_view href);

// The text of a link is the mark of a note (the link leads to a fragment of a document): one to
// three digits when set as superscript, or in square or curly brackets; one to three asterisks
// or daggers, or superscript digits (U+00B9 ...), however set; any of these in round brackets
// when set as superscript. White space around the mark does not count.
bool IsNoteMark(std::string_view text, bool superscript);

// The text of a link is a number of one to three digits glued to the word before it ("word12"):
// the mark of a note that has lost its superscript, when the link leads to a note.
bool IsGluedNumber(std::string_view linkText, bool glued);

// Takes the marks of notes out of a text as it is built: a link to a fragment whose text turns
// out to be a note mark (IsNoteMark) is dropped at its end; one whose text is a number glued to
// the word before it is kept tentatively (TBookText::KeepTentatively), to be dropped once the
// book is read if the link leads to a note. Links inside such a link are plain.
class TNoteLinks {
 public:
  explicit TNoteLinks(TBookText& text) : text_(text) {}

  // A link starts; true when it is watched, and then EndLink must follow at its end.
  bool StartLink(bool toFragment);
  // The watched link ends; the number of the passage kept tentatively, if it is one.
  std::optional<size_t> EndLink();
  // A superscript (sup) starts or ends.
  void StartSuperscript();
  void EndSuperscript();

 private:
  struct Link {
    TBookText::Place Mark;
    bool Superscript = false;
  };

  TBookText& text_;
  std::optional<Link> link_;
  size_t superscripts_ = 0;
};

}  // namespace sonacli

// The table of contents of an EPUB: the navigation document of EPUB 3, or the NCX of EPUB 2.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

struct TNavigationEntry {
  std::u16string Title;  // white space collapsed; may be empty
  std::string Href;      // as written, relative to the navigation document; empty for a heading
  // The entry it is nested in, by its index in the same list (always a smaller one); none at the
  // top (kNoParent of book_chapters.h).
  size_t Parent = static_cast<size_t>(-1);
};

// An entry of the landmarks: a part of the book named by its kind ("toc", "bodymatter",
// "copyright-page" ...).
struct TLandmark {
  std::string Type;  // the link's epub:type, as written
  std::string Href;
  std::u16string Title;
};

struct TNavigation {
  std::vector<TNavigationEntry> Toc;
  std::vector<TLandmark> Landmarks;
};

// The navigation document: the entries of its table of contents (the nav whose epub:type is
// "toc", else the first nav) in document order, nested lists as entries nested in the item's own
// link or heading (a span), and the links of its landmarks (the nav whose epub:type is
// "landmarks"). False with the message when the document is not well-formed.
bool ReadNavDocument(std::string_view xhtml, TNavigation& navigation, std::string& error);

// The navPoints of the NCX's navMap in document order, nested ones as entries nested in theirs,
// each with the text of its label and the src of its content. False with the message when it is
// not well-formed.
bool ReadNcx(std::string_view xml, std::vector<TNavigationEntry>& entries, std::string& error);

}  // namespace sonacli

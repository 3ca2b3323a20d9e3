// The table of contents of an EPUB: the navigation document of EPUB 3, or the NCX of EPUB 2.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

struct TNavigationEntry {
  std::u16string Title;  // white space collapsed; may be empty
  std::string Href;      // as written, relative to the navigation document
};

// The links of the navigation document's table of contents (the nav whose epub:type is "toc",
// else the first nav), nested lists flattened in document order. Headings without a link (a span)
// are no entries. False with the message when the document is not well-formed.
bool ReadNavDocument(std::string_view xhtml, std::vector<TNavigationEntry>& entries, std::string& error);

// The navPoints of the NCX's navMap, nested ones flattened in document order, each with the text
// of its label and the src of its content. False with the message when it is not well-formed.
bool ReadNcx(std::string_view xml, std::vector<TNavigationEntry>& entries, std::string& error);

}  // namespace sonacli

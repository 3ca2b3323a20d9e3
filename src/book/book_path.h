// Paths inside a book's archive, and the links between its documents.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonacli {

// The href names a scheme ("http:", "mailto:" ...): it leads out of the book.
bool HasScheme(std::string_view href);

// Where a link inside a book leads: an archive path and a fragment (empty for none).
struct TBookLink {
  std::string Path;
  std::string Fragment;

  bool operator==(const TBookLink&) const = default;
};

// A path with its "." and ".." steps and repeated or leading "/" taken out: "OEBPS/./a/../b.xhtml"
// is "OEBPS/b.xhtml". Nullopt when ".." climbs above the archive's root, or nothing is left.
std::optional<std::string> NormalizePath(std::string_view path);

// The link an href (a relative URL, percent-encoded) makes from the document at `fromPath`:
// "../Text/ch%201.xhtml#p3" from "OEBPS/Nav/toc.xhtml" leads to "OEBPS/Text/ch 1.xhtml", fragment
// "p3"; "#p3" leads into the document itself. Nullopt for links out of the book (a scheme such as
// "http:", ".." above the root) and for an empty href.
std::optional<TBookLink> ResolveLink(std::string_view fromPath, std::string_view href);

}  // namespace sonacli

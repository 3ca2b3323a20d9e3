// The files that describe an EPUB: META-INF/container.xml, which names the package document, and
// the package document (OPF) with the book's metadata, its manifest of files, its spine, the
// documents in reading order, and the guide of EPUB 2.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "book/book.h"

namespace sonacli {

struct TManifestItem {
  std::string Id;
  std::string Path;  // in the archive; empty when the href leads out of the book
  std::string MediaType;
  std::string Properties;  // EPUB 3: "nav", "cover-image" ...
};

struct TSpineItem {
  std::string IdRef;
  bool Linear = true;  // false for linear="no": content off the main reading order
};

// A reference of the EPUB 2 guide: a part of the book named by its type.
struct TGuideReference {
  std::string Type;  // in lower case: "toc", "copyright-page", "other.imprint" ...
  std::string Path;  // where it leads in the archive, and the fragment there (empty for none)
  std::string Fragment;
  std::u16string Title;
};

struct TEpubPackage {
  std::vector<TManifestItem> Manifest;
  std::vector<TSpineItem> Spine;
  std::vector<TGuideReference> Guide;
  std::string NcxId;     // the spine's toc attribute (EPUB 2)
  std::string CoverId;   // <meta name="cover" content="..."> (EPUB 2)
  std::u16string Title;  // the title refined as "main", else the first
  // The creators with the role "aut" (opf:role, or a refinement of EPUB 3: a creator may have
  // several roles); when none has it, those without a role.
  std::vector<std::u16string> Authors;
  std::u16string Language;  // the first language
  // dc:description as plain text, the date of publication (else the first dc:date), the subjects,
  // and the series: EPUB 3's belongs-to-collection (the first of the type "series", else the
  // first) with its group-position, else calibre's series metas.
  TBookDetails Details;

  // The (first) manifest item with that id; nullptr when there is none.
  const TManifestItem* Item(std::string_view id) const;
  // Makes Item fast; called once the manifest is complete.
  void IndexManifest();
  // The first item whose properties hold that token; nullptr when there is none.
  const TManifestItem* ItemWithProperty(std::string_view property) const;
  // The first item of that media type; nullptr when there is none.
  const TManifestItem* ItemOfType(std::string_view mediaType) const;

 private:
  std::map<std::string, size_t, std::less<>> ids_;
};

// The archive path of the package document: the first rootfile of the OPF media type, else the
// first rootfile; empty when there is none. False with the message when the XML is not
// well-formed.
bool ReadContainer(std::string_view xml, std::string& packagePath, std::string& error);

// Reads the package document found at packagePath (the base of its hrefs). False with the
// message when it is not well-formed. The metadata is read in time linear in its size, however
// many refinements it holds.
bool ReadPackage(std::string_view xml, std::string_view packagePath, TEpubPackage& package,
                 std::string& error);

}  // namespace sonacli

// Small books for the tests of the book readers: EPUB files zipped in memory from a few lines of
// XHTML, and FB2 documents.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "book/book.h"
#include "zip_maker/zip_maker.h"

namespace sonacli::testing {

// An XHTML content document around the body's markup.
std::string Xhtml(std::string_view body, std::string_view head = "<title>Not read</title>");
// An EPUB 3 navigation document whose table of contents is the markup of its list.
std::string NavDocument(std::string_view tocList);
// An EPUB 2 NCX whose navMap holds the navPoints' markup.
std::string Ncx(std::string_view navPoints);
// A package document of the version with the metadata, manifest items and spine itemrefs given,
// and what follows the spine (a guide).
std::string Package(std::string_view metadata, std::string_view manifest, std::string_view spine,
                    std::string_view version = "3.0", std::string_view spineAttributes = "",
                    std::string_view afterSpine = "");
// container.xml naming the package document at that path.
std::string Container(std::string_view packagePath = "OEBPS/content.opf");
// An EPUB: the stored "mimetype", container.xml for OEBPS/content.opf, then the files.
std::string Epub(const std::vector<TZipEntry>& files);
// An FB2 document with the description's title-info and the bodies' and binaries' markup.
std::string Fb2(std::string_view titleInfo, std::string_view rest,
                std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");

// A whole EPUB 3 of chapters, each a document of a heading and its paragraphs, listed in the
// navigation under the headings' titles; with the title and author, the cover image when one is
// given (a JPEG, the manifest's cover-image), and the language (dc:language) when one is given.
struct TBookChapterText {
  std::string Title;
  std::vector<std::string> Paragraphs;
};
std::string ChapterEpub(std::string_view title, std::string_view author,
                        const std::vector<TBookChapterText>& chapters, std::string_view jpegCover = {},
                        std::string_view language = {});

// What a book gave, as the tables write it: its lines, its chapters as "title@line", the parts
// left out as "title|kind|characters".
std::vector<std::string> Utf8Lines(const TBook& book);
std::vector<std::string> ChapterMarks(const TBook& book);
std::vector<std::string> LeftOutMarks(const TBook& book);

}  // namespace sonacli::testing

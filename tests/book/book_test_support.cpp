#include "book_test_support.h"

#include "common/unicode_text.h"

namespace sonacli::testing {

std::string Xhtml(std::string_view body, std::string_view head) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\">\n<head>" +
         std::string(head) + "</head>\n<body>\n" + std::string(body) + "\n</body>\n</html>\n";
}

std::string NavDocument(std::string_view tocList) {
  return Xhtml(
      "<nav epub:type=\"landmarks\"><ol><li><a href=\"c1.xhtml\">Landmark</a></li></ol></nav>\n"
      "<nav epub:type=\"toc\" id=\"toc\"><h1>Contents</h1>" +
      std::string(tocList) + "</nav>");
}

std::string Ncx(std::string_view navPoints) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\">\n"
         "<head><meta name=\"dtb:uid\" content=\"x\"/></head>\n"
         "<docTitle><text>Not a chapter</text></docTitle>\n<navMap>" +
         std::string(navPoints) +
         "</navMap>\n<pageList><pageTarget type=\"normal\" value=\"1\"><navLabel><text>1</text></navLabel>"
         "<content src=\"c1.xhtml\"/></pageTarget></pageList>\n</ncx>\n";
}

std::string Package(std::string_view metadata, std::string_view manifest, std::string_view spine,
                    std::string_view version, std::string_view spineAttributes, std::string_view afterSpine) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<package xmlns=\"http://www.idpf.org/2007/opf\" "
         "version=\"" +
         std::string(version) +
         "\" unique-identifier=\"uid\">\n"
         "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:opf=\"http://www.idpf.org/2007/opf\">"
         "<dc:identifier id=\"uid\">urn:x</dc:identifier>" +
         std::string(metadata) + "</metadata>\n<manifest>" + std::string(manifest) + "</manifest>\n<spine" +
         std::string(spineAttributes) + ">" + std::string(spine) + "</spine>\n" + std::string(afterSpine) +
         "</package>\n";
}

std::string Container(std::string_view packagePath) {
  return "<?xml version=\"1.0\"?>\n"
         "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
         "<rootfiles><rootfile full-path=\"" +
         std::string(packagePath) +
         "\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>\n";
}

std::string Epub(const std::vector<TZipEntry>& files) {
  std::vector<TZipEntry> entries = {{"mimetype", "application/epub+zip", true},
                                    {"META-INF/container.xml", Container()}};
  entries.insert(entries.end(), files.begin(), files.end());
  return MakeZip(entries);
}

std::string Fb2(std::string_view titleInfo, std::string_view rest, std::string_view declaration) {
  return std::string(declaration) +
         "\n<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
         "xmlns:l=\"http://www.w3.org/1999/xlink\">\n<description><title-info>" +
         std::string(titleInfo) +
         "</title-info><document-info><author><nickname>Maker of the file</nickname></author>"
         "</document-info></description>\n" +
         std::string(rest) + "\n</FictionBook>\n";
}

std::string ChapterEpub(std::string_view title, std::string_view author,
                        const std::vector<TBookChapterText>& chapters, std::string_view jpegCover,
                        std::string_view language) {
  std::string manifest =
      "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
      "properties=\"nav\"/>";
  std::string spine;
  std::string toc;
  std::vector<TZipEntry> files;
  for (size_t i = 0; i < chapters.size(); ++i) {
    const std::string id = "c" + std::to_string(i + 1);
    manifest += "<item id=\"" + id + "\" href=\"" + id + ".xhtml\" media-type=\"application/xhtml+xml\"/>";
    spine += "<itemref idref=\"" + id + "\"/>";
    toc += "<li><a href=\"" + id + ".xhtml\">" + chapters[i].Title + "</a></li>";
    std::string body = "<h1>" + chapters[i].Title + "</h1>";
    for (const std::string& paragraph : chapters[i].Paragraphs) body += "<p>" + paragraph + "</p>";
    files.push_back({"OEBPS/" + id + ".xhtml", Xhtml(body)});
  }
  if (!jpegCover.empty()) {
    manifest +=
        "<item id=\"cover\" href=\"cover.jpg\" media-type=\"image/jpeg\" properties=\"cover-image\"/>";
    files.push_back({"OEBPS/cover.jpg", std::string(jpegCover)});
  }
  const std::string metadata =
      "<dc:title>" + std::string(title) + "</dc:title><dc:creator>" + std::string(author) + "</dc:creator>" +
      (language.empty() ? std::string() : "<dc:language>" + std::string(language) + "</dc:language>");
  files.push_back({"OEBPS/nav.xhtml", NavDocument("<ol>" + toc + "</ol>")});
  files.push_back({"OEBPS/content.opf", Package(metadata, manifest, spine)});
  return Epub(files);
}

std::vector<std::string> Utf8Lines(const TBook& book) {
  std::vector<std::string> lines;
  for (const std::u16string& line : book.Lines) lines.push_back(ToUtf8(line));
  return lines;
}

std::vector<std::string> ChapterMarks(const TBook& book) {
  std::vector<std::string> marks;
  for (const TBookChapter& chapter : book.Chapters)
    marks.push_back(ToUtf8(chapter.Title) + "@" + std::to_string(chapter.Line));
  return marks;
}

std::vector<std::string> LeftOutMarks(const TBook& book) {
  std::vector<std::string> marks;
  for (const TBookLeftOut& part : book.LeftOut)
    marks.push_back(ToUtf8(part.Title) + "|" + ToUtf8(part.Kind) + "|" + std::to_string(part.Characters));
  return marks;
}

}  // namespace sonacli::testing

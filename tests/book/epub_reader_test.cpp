#include "book/epub_reader.h"

#include <gtest/gtest.h>

#include "book_test_support.h"
#include "common/unicode_text.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ChapterMarks;
using testing::Epub;
using testing::LeftOutMarks;
using testing::NavDocument;
using testing::Ncx;
using testing::Package;
using testing::Utf8Lines;
using testing::Xhtml;

constexpr const char* kTitle = "<dc:title>Book</dc:title>";

std::string Item(const std::string& id, const std::string& href, const std::string& extra = "") {
  const bool isNcx = href.ends_with(".ncx");
  return "<item id=\"" + id + "\" href=\"" + href + "\" media-type=\"" +
         (isNcx ? "application/x-dtbncx+xml" : "application/xhtml+xml") + "\"" + extra + "/>";
}

std::string Ref(const std::string& id, const std::string& extra = "") {
  return "<itemref idref=\"" + id + "\"" + extra + "/>";
}

TBook ReadOrFail(const std::string& bytes, const TBookReadOptions& options = {}) {
  TBook book;
  std::u16string error;
  EXPECT_TRUE(ReadEpub(bytes, book, error, {}, options)) << ToUtf8(error);
  return book;
}

struct BookCase {
  const char* what;
  std::string epub;
  std::vector<std::string> lines;
  std::vector<std::string> chapters;      // "title@line"
  std::vector<std::string> leftOut = {};  // "title|kind|characters"
};

TEST(EpubReader, ReadsTextAndChaptersInReadingOrder) {
  const BookCase cases[] = {
      {"EPUB 3: the spine's order, not the manifest's; chapters from the nav at their documents' starts",
       Epub({{"OEBPS/content.opf",
              Package(kTitle, Item("c2", "Text/c2.xhtml") + Item("c1", "Text/c1.xhtml") + Item("nav", "nav.xhtml", " properties=\"nav\""),
                      Ref("nav") + Ref("c1") + Ref("c2"))},
             {"OEBPS/nav.xhtml", NavDocument("<ol><li><a href=\"Text/c1.xhtml\">First</a></li>"
                                             "<li><a href=\"Text/c2.xhtml\">Second</a></li></ol>")},
             {"OEBPS/Text/c1.xhtml", Xhtml("<h1>One</h1><p>Text one.</p>")},
             {"OEBPS/Text/c2.xhtml", Xhtml("<h1>Two</h1><p>Text two.</p>")}}),
       {"One", "Text one.", "Two", "Text two."},
       {"First@0", "Second@2"},
       {"Contents|toc|27"}},
      {"items marked linear=\"no\" come after all the others, in spine order",
       Epub({{"OEBPS/content.opf",
              Package(kTitle, Item("a", "a.xhtml") + Item("n1", "n1.xhtml") + Item("b", "b.xhtml") + Item("n2", "n2.xhtml"),
                      Ref("n1", " linear=\"no\"") + Ref("a") + Ref("n2", " linear=\"no\"") + Ref("b"))},
             {"OEBPS/a.xhtml", Xhtml("<p>A</p>")},
             {"OEBPS/b.xhtml", Xhtml("<p>B</p>")},
             {"OEBPS/n1.xhtml", Xhtml("<p>Answers</p>")},
             {"OEBPS/n2.xhtml", Xhtml("<p>Appendix</p>")}}),
       {"A", "B", "Answers", "Appendix"},
       {}},
      {"nested navigation flattened in order, fragments leading into documents, headings without links",
       Epub({{"OEBPS/content.opf",
              Package(kTitle, Item("nav", "nav.xhtml", " properties=\"nav\"") + Item("p", "part%201.xhtml"),
                      Ref("p"))},
             {"OEBPS/nav.xhtml",
              NavDocument("<ol><li><span>Front matter</span><ol><li><a href=\"part%201.xhtml\">Part  <em>One</em></a>"
                          "<ol><li><a href=\"part%201.xhtml#c1\">Chapter 1</a></li>"
                          "<li><a href=\"./part%201.xhtml#c2\">Chapter 2</a><ol><li><a href=\"part%201.xhtml#s\">"
                          "Scene</a></li></ol></li></ol></li></ol></li></ol>")},
             {"OEBPS/part 1.xhtml",
              Xhtml("<h1>Part One</h1><p>Opening.</p><h2 id=\"c1\">Chapter 1</h2><p>Text.</p>"
                    "<section id=\"c2\"><h2>Chapter 2</h2><p>More.</p><p>Then <span id=\"s\">a</span> scene.</p></section>")}}),
       {"Part One", "Opening.", "Chapter 1", "Text.", "Chapter 2", "More.", "Then a scene."},
       {"Front matter, Part One@0", "Front matter, Part One, Chapter 1@2", "Front matter, Part One, Chapter 2@4",
        "Front matter, Part One, Chapter 2, Scene@6"}},
      {"EPUB 2: NCX with nested navPoints, a heading alone merging into its first child; the guide's table of "
       "contents is left out",
       Epub({{"OEBPS/content.opf",
              Package("<dc:title>Old</dc:title>",
                      Item("ncx", "toc.ncx") + Item("toc", "toc.xhtml") + Item("c1", "c1.xhtml") + Item("c2", "c2.xhtml"),
                      Ref("toc") + Ref("c1") + Ref("c2"), "2.0", " toc=\"ncx\"",
                      "<guide><reference type=\"toc\" title=\"Contents\" href=\"toc.xhtml\"/></guide>")},
             {"OEBPS/toc.ncx",
              Ncx("<navPoint id=\"p1\" playOrder=\"1\"><navLabel><text>Book One</text></navLabel>"
                  "<content src=\"c1.xhtml\"/><navPoint id=\"p2\" playOrder=\"2\"><navLabel><text>Chapter I"
                  "</text></navLabel><content src=\"c1.xhtml#i\"/></navPoint></navPoint><navPoint id=\"p3\" "
                  "playOrder=\"3\"><navLabel><text>Chapter II</text></navLabel><content src=\"c2.xhtml\"/></navPoint>")},
             {"OEBPS/toc.xhtml", Xhtml("<p><a href=\"c1.xhtml\">Book One</a></p>")},
             {"OEBPS/c1.xhtml", Xhtml("<h1>Book One</h1><h2 id=\"i\">I</h2><p>It begins.</p>")},
             {"OEBPS/c2.xhtml", Xhtml("<h2>II</h2><p>It goes on.</p>")}}),
       {"Book One", "I", "It begins.", "II", "It goes on."},
       {"Book One, Chapter I@0", "Chapter II@3"},
       {"Contents|toc|8"}},
      {"without a navigation, chapters come from the h1 and h2 headings",
       Epub({{"OEBPS/content.opf", Package(kTitle, Item("a", "a.xhtml") + Item("b", "b.xhtml"), Ref("a") + Ref("b"))},
             {"OEBPS/a.xhtml", Xhtml("<p>Foreword.</p><h1>Part</h1><h2>Chapter <i>A</i></h2><p>Text.</p><h3>Minor</h3>")},
             {"OEBPS/b.xhtml", Xhtml("<h2>Chapter B</h2><p>More.</p>")}}),
       {"Foreword.", "Part", "Chapter A", "Text.", "Minor", "Chapter B", "More."},
       {"Part@1", "Chapter A@2", "Chapter B@5"}},
      {"notes are not read: EPUB 3 noterefs and footnotes, EPUB 2 superscript links, numbers glued to words "
       "that link to notes (in any document); numbers that link elsewhere stay",
       Epub({{"OEBPS/content.opf", Package(kTitle, Item("a", "a.xhtml") + Item("n", "notes.xhtml"), Ref("a") + Ref("n"))},
             {"OEBPS/a.xhtml",
              Xhtml("<p>He left<a epub:type=\"noteref\" href=\"#fn1\">1</a> at dawn<sup><a href=\"notes.xhtml#n2\">2"
                    "</a></sup>.</p><aside epub:type=\"footnote\" id=\"fn1\"><p>In May.</p></aside>"
                    "<p id=\"p2\">In Paris<a href=\"notes.xhtml#n3\">3</a>, in Rome<a href=\"notes.xhtml#n123\">123</a> and "
                    "in part<a href=\"#p2\">2</a>.</p>")},
             {"OEBPS/notes.xhtml", Xhtml("<section epub:type=\"endnotes\"><p id=\"n2\">Or later.</p><ol><li id=\"n3\">"
                                         "<p>Then.</p></li><li id=\"n123\"><p>Now.</p></li></ol></section>")}}),
       {"He left at dawn.", "In Paris, in Rome and in part2."},
       {}},
      {"navigation entries with an empty title take their first line; an entry without text of its own merges "
       "into its first child; entries leading to no document read give no chapter",
       Epub({{"OEBPS/content.opf",
              Package(kTitle, Item("nav", "nav.xhtml", " properties=\"nav\"") + Item("a", "a.xhtml") + Item("b", "b.xhtml"),
                      Ref("a") + Ref("b"))},
             {"OEBPS/nav.xhtml",
              NavDocument("<ol><li><a href=\"a.xhtml\"> </a></li><li><a href=\"b.xhtml\">Part Two</a><ol>"
                          "<li><a href=\"b.xhtml#c\">Chapter Three</a></li></ol></li><li><a href=\"missing.xhtml\">"
                          "Gone</a></li><li><a href=\"nav.xhtml#toc\">Contents</a></li><li><a href=\"http://x.org/\">"
                          "Web</a></li></ol>")},
             {"OEBPS/a.xhtml", Xhtml("<p>A very first line that runs on much longer than any title should run, "
                                     "so that it has to be cut.</p>")},
             {"OEBPS/b.xhtml", Xhtml("<img src=\"part.png\"/><p id=\"c\">Three.</p>")}}),
       {"A very first line that runs on much longer than any title should run, so that it has to be cut.", "Three."},
       {"A very first line that runs on much longer than any title should run, so that it\u2026@0",
        "Part Two, Chapter Three@1"}},
      {"hrefs in another case than the archive's names; a document the spine names twice is read once",
       Epub({{"OEBPS/content.opf",
              Package(kTitle, Item("a", "Text/CHAPTER.xhtml") + Item("b", "text/chapter.XHTML"), Ref("a") + Ref("b") + Ref("a"))},
             {"OEBPS/Text/Chapter.xhtml", Xhtml("<p>Once.</p>")}}),
       {"Once."},
       {}},
      {"the package document in the root folder, hrefs with \"..\" and percent-encoding",
       [] {
         std::vector<TZipEntry> entries = {
             {"mimetype", "application/epub+zip", true},
             {"META-INF/container.xml", testing::Container("content.opf")},
             {"content.opf", Package(kTitle, Item("a", "Text/Chapter%20%C3%A9.xhtml") + Item("nav", "Nav/nav.xhtml", " properties=\"nav\""), Ref("a"))},
             {"Nav/nav.xhtml", NavDocument("<ol><li><a href=\"../Text/Chapter%20%C3%A9.xhtml\">\u00C9</a></li></ol>")},
             {"Text/Chapter \u00E9.xhtml", Xhtml("<p>Accent.</p>")}};
         return MakeZip(entries);
       }(),
       {"Accent."},
       {"\u00C9@0"}},
  };
  for (const BookCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TBook book = ReadOrFail(c.epub);
    EXPECT_EQ(Utf8Lines(book), c.lines);
    EXPECT_EQ(ChapterMarks(book), c.chapters);
    EXPECT_EQ(LeftOutMarks(book), c.leftOut);
  }
}

// A book as a volunteer e-book project makes it: title page, imprint, the navigation document in
// the spine, the text, endnotes, colophon and a copyright page that the landmarks name.
std::string VolunteerBook() {
  const std::string nav = Xhtml(
      "<nav epub:type=\"toc\"><h2>Contents</h2><ol><li><a href=\"titlepage.xhtml\">Titlepage</a></li>"
      "<li><a href=\"imprint.xhtml\">Imprint</a></li><li><a href=\"c1.xhtml\">I</a></li>"
      "<li><a href=\"endnotes.xhtml\">Endnotes</a></li><li><a href=\"colophon.xhtml\">Colophon</a></li>"
      "<li><a href=\"uncopyright.xhtml\">Uncopyright</a></li></ol></nav>"
      "<nav epub:type=\"landmarks\"><ol><li><a epub:type=\"bodymatter\" href=\"c1.xhtml\">Start</a></li>"
      "<li><a epub:type=\"copyright-page\" href=\"uncopyright.xhtml\">Copyright</a></li></ol></nav>");
  return Epub(
      {{"OEBPS/content.opf",
        Package(kTitle,
                Item("nav", "nav.xhtml", " properties=\"nav\"") + Item("t", "titlepage.xhtml") +
                    Item("i", "imprint.xhtml") + Item("c1", "c1.xhtml") + Item("e", "endnotes.xhtml") +
                    Item("col", "colophon.xhtml") + Item("u", "uncopyright.xhtml"),
                Ref("t") + Ref("i") + Ref("nav") + Ref("c1") + Ref("e") + Ref("col") + Ref("u"))},
       {"OEBPS/nav.xhtml", nav},
       {"OEBPS/titlepage.xhtml",
        Xhtml("<section epub:type=\"titlepage\"><h1>Novel</h1><p>By Writer.</p></section>")},
       {"OEBPS/imprint.xhtml",
        Xhtml("<section epub:type=\"imprint\"><h2>Imprint</h2><p>Made by volunteers.</p></section>")},
       {"OEBPS/c1.xhtml", Xhtml("<h2>I</h2><p>Text one<a href=\"endnotes.xhtml#n1\">1</a>.</p>")},
       {"OEBPS/endnotes.xhtml",
        Xhtml("<section epub:type=\"endnotes\"><ol><li id=\"n1\"><p>A note.</p></li></ol></section>")},
       {"OEBPS/colophon.xhtml",
        Xhtml("<section epub:type=\"colophon\"><h2>Colophon</h2><p>Set in type.</p></section>")},
       {"OEBPS/uncopyright.xhtml", Xhtml("<p>Public domain.</p>")}});
}

// An EPUB 2 book with a guide: a table of contents, an index and a copyright notice inside a
// document, and a contents page of links that nothing marks.
std::string GuideBook() {
  return Epub(
      {{"OEBPS/content.opf",
        Package(
            kTitle,
            Item("ncx", "toc.ncx") + Item("cover", "cover.xhtml") + Item("t", "title.xhtml") +
                Item("contents", "contents.xhtml") + Item("links", "links.xhtml") + Item("d", "ded.xhtml") +
                Item("c1", "c1.xhtml") + Item("index", "index.xhtml") + Item("legal", "legal.xhtml"),
            Ref("cover") + Ref("t") + Ref("contents") + Ref("links") + Ref("d") + Ref("c1") + Ref("index") +
                Ref("legal"),
            "2.0", " toc=\"ncx\"",
            "<guide><reference type=\"cover\" href=\"cover.xhtml\"/><reference type=\"toc\" title=\"Table of "
            "Contents\" href=\"contents.xhtml\"/><reference type=\"index\" title=\"Index\" "
            "href=\"index.xhtml\"/>"
            "<reference type=\"copyright-page\" title=\"Legal\" href=\"legal.xhtml#rights\"/></guide>")},
       {"OEBPS/toc.ncx",
        Ncx("<navPoint><navLabel><text>Cover</text></navLabel><content src=\"cover.xhtml\"/></navPoint>"
            "<navPoint><navLabel><text>Dedication</text></navLabel><content src=\"ded.xhtml\"/></navPoint>"
            "<navPoint><navLabel><text>Chapter One</text></navLabel><content src=\"c1.xhtml\"/></navPoint>"
            "<navPoint><navLabel><text>Rights</text></navLabel><content "
            "src=\"legal.xhtml#rights\"/></navPoint>")},
       {"OEBPS/cover.xhtml", Xhtml("<div><img src=\"cover.jpg\" alt=\"Cover\"/></div>")},
       {"OEBPS/title.xhtml", Xhtml("<h1>The Title</h1>")},
       {"OEBPS/contents.xhtml", Xhtml("<h1>Contents</h1><p><a href=\"ded.xhtml\">Dedication</a></p>"
                                      "<p><a href=\"c1.xhtml\">Chapter One</a> ..... 5</p>")},
       {"OEBPS/links.xhtml",
        Xhtml("<p><a href=\"c1.xhtml\">One</a></p><p>2. <a href=\"c2.xhtml\">Two</a></p>")},
       {"OEBPS/ded.xhtml", Xhtml("<p>For Ann.</p>")},
       {"OEBPS/c1.xhtml", Xhtml("<h1>Chapter One</h1><p>Text.</p>")},
       {"OEBPS/index.xhtml", Xhtml("<h1>Index</h1><p>Apples, <a href=\"c1.xhtml\">1</a></p>")},
       {"OEBPS/legal.xhtml",
        Xhtml("<p>Afterword.</p><div id=\"rights\"><p>All rights reserved.</p></div>")}});
}

TEST(EpubReader, LeavesOutBoilerplateUnlessAllPartsAreRead) {
  TBookReadOptions all;
  all.AllParts = true;
  struct {
    const char* what;
    std::string epub;
    TBookReadOptions options;
    std::vector<std::string> lines;
    std::vector<std::string> chapters;
    std::vector<std::string> leftOut;
  } const cases[] = {
      {"EPUB 3: parts marked by epub:type and by the landmarks, the navigation document; the title page is "
       "read",
       VolunteerBook(),
       {},
       {"Novel", "By Writer.", "I", "Text one."},
       {"Titlepage@0", "I@2"},
       {"Imprint|imprint|26", "Contents|toc|66", "Colophon|colophon|20", "Uncopyright|copyright-page|14"}},
      {"EPUB 3, all parts",
       VolunteerBook(),
       all,
       {"Novel", "By Writer.", "Imprint", "Made by volunteers.", "Contents", "Titlepage", "Imprint", "I",
        "Endnotes", "Colophon", "Uncopyright", "Start", "Copyright", "I", "Text one.", "Colophon",
        "Set in type.", "Public domain."},
       {"Titlepage@0", "Imprint@2", "I@13", "Colophon@15", "Uncopyright@17"},
       {}},
      {"EPUB 2: the guide's table of contents, index and copyright notice, a contents page of links; entries "
       "leading to a cover picture or into a part left out give no chapter",
       GuideBook(),
       {},
       {"The Title", "For Ann.", "Chapter One", "Text.", "Afterword."},
       {"Dedication@1", "Chapter One@2"},
       {"Contents|toc|37", "|toc|9", "Index|index|14", "Rights|copyright-page|20"}},
      {"EPUB 2, all parts",
       GuideBook(),
       all,
       {"The Title", "Contents", "Dedication", "Chapter One ..... 5", "One", "2. Two", "For Ann.",
        "Chapter One", "Text.", "Index", "Apples, 1", "Afterword.", "All rights reserved."},
       {"Dedication@6", "Chapter One@7", "Rights@12"},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TBook book = ReadOrFail(c.epub, c.options);
    EXPECT_EQ(Utf8Lines(book), c.lines);
    EXPECT_EQ(ChapterMarks(book), c.chapters);
    EXPECT_EQ(LeftOutMarks(book), c.leftOut);
  }
}

// A navigation of `depth` levels, each a document of its heading, the last with text: one
// chapter that names every level.
std::string NestedBook(int depth) {
  std::string manifest = Item("nav", "nav.xhtml", " properties=\"nav\"");
  std::string spine;
  std::string list;
  std::vector<TZipEntry> files;
  for (int level = 1; level <= depth; ++level) {
    const std::string id = "l" + std::to_string(level);
    manifest += Item(id, id + ".xhtml");
    spine += Ref(id);
    list += "<ol><li><a href=\"" + id + ".xhtml\">L" + std::to_string(level) + "</a>";
    files.push_back({"OEBPS/" + id + ".xhtml", Xhtml("<h2>Level " + std::to_string(level) + "</h2>" +
                                                     (level == depth ? "<p>Text.</p>" : ""))});
  }
  for (int level = 1; level <= depth; ++level) list += "</li></ol>";
  files.push_back({"OEBPS/nav.xhtml", NavDocument(list)});
  files.push_back({"OEBPS/content.opf", Package(kTitle, manifest, spine)});
  return Epub(files);
}

TEST(EpubReader, TitlesChaptersByTheirPlaceAndWhereTheirEntriesLead) {
  TBookReadOptions bare;
  bare.BareChapterTitles = true;
  const std::string novel = Epub(
      {{"OEBPS/content.opf",
        Package(kTitle,
                Item("nav", "nav.xhtml", " properties=\"nav\"") + Item("b1", "b1.xhtml") +
                    Item("c1", "c1.xhtml") + Item("c2", "c2.xhtml") + Item("b2", "b2.xhtml"),
                Ref("b1") + Ref("c1") + Ref("c2") + Ref("b2"))},
       {"OEBPS/nav.xhtml",
        NavDocument(
            "<ol><li><a href=\"b1.xhtml\">Book I</a><ol><li><a href=\"b1.xhtml#p1\">Part I: 1805</a><ol>"
            "<li><a href=\"c1.xhtml\">I</a></li><li><a href=\"c2.xhtml\">II</a></li></ol></li></ol></li>"
            "<li><a href=\"b2.xhtml\">Book II</a><ol><li><a href=\"b2.xhtml#i\">I</a></li></ol></li></ol>")},
       {"OEBPS/b1.xhtml",
        Xhtml("<h2>Book I</h2><section id=\"p1\"><header><h3>Part I</h3><p epub:type=\"title\">"
              "1805</p></header></section>")},
       {"OEBPS/c1.xhtml", Xhtml("<h4>I</h4><p>Well, Prince.</p>")},
       {"OEBPS/c2.xhtml", Xhtml("<h4>II</h4><p>Anna Pavlovna.</p>")},
       {"OEBPS/b2.xhtml",
        Xhtml("<h2>Book II</h2><p>An epigraph of its own.</p><h3 id=\"i\">I</h3><p>Later.</p>")}});
  const std::string cover = Epub(
      {{"OEBPS/content.opf",
        Package(kTitle,
                Item("nav", "nav.xhtml", " properties=\"nav\"") + Item("cover", "cover.xhtml") +
                    Item("c1", "c1.xhtml") + Item("c2", "c2.xhtml") + Item("e", "endnotes.xhtml") +
                    Item("col", "colophon.xhtml"),
                Ref("cover") + Ref("c1") + Ref("c2") + Ref("e") + Ref("col"))},
       {"OEBPS/nav.xhtml",
        NavDocument(
            "<ol><li><a href=\"cover.xhtml\">Couverture</a></li><li><a href=\"c1.xhtml#one\">Un</a></li>"
            "<li><a href=\"c2.xhtml\">Deux</a></li><li><a href=\"endnotes.xhtml\">Endnotes</a></li>"
            "<li><a href=\"colophon.xhtml\">Colophon</a></li></ol>")},
       {"OEBPS/cover.xhtml",
        Xhtml("<svg xmlns=\"http://www.w3.org/2000/svg\"><image href=\"c.jpg\"/></svg>")},
       {"OEBPS/c1.xhtml", Xhtml("<p>Intro.</p><h2 id=\"one\">Un</h2><p>Text.</p>")},
       {"OEBPS/c2.xhtml", Xhtml("<p>Two.</p>")},
       {"OEBPS/endnotes.xhtml", Xhtml("<section epub:type=\"endnotes\"><p id=\"n1\">Note.</p></section>")},
       {"OEBPS/colophon.xhtml", Xhtml("<p>Set in type.</p>")}});
  std::string twenty;
  for (int level = 1; level <= 20; ++level) twenty += (level == 1 ? "L" : ", L") + std::to_string(level);
  struct {
    const char* what;
    std::string epub;
    TBookReadOptions options;
    std::vector<std::string> chapters;
  } const cases[] = {
      {"parts of nothing but headings merge into their first chapter; every title names its place",
       novel,
       {},
       {"Book I, Part I: 1805, I@0", "Book I, Part I: 1805, II@5", "Book II@7", "Book II, I@9"}},
      {"the bare titles", novel, bare, {"I@0", "II@5", "Book II@7", "I@9"}},
      {"entries leading to a picture, or to notes, give their title to no text",
       cover,
       {},
       {"Un@1", "Deux@3", "Colophon@4"}},
      {"a navigation nested 20 deep", NestedBook(20), {}, {twenty + "@0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ChapterMarks(ReadOrFail(c.epub, c.options)), c.chapters);
  }
}

struct MetadataCase {
  const char* what;
  std::string metadata;
  std::vector<std::u16string> authors;
  TBookDetails details;
  std::u16string language;
};

TEST(EpubReader, FindsTheAuthorsDetailsAndLanguage) {
  const MetadataCase cases[] = {
      {"a creator with several roles, the author among them; an editor and a creator without a role are none",
       "<dc:creator id=\"c1\">Ann</dc:creator><meta refines=\"#c1\" property=\"role\">ann</meta>"
       "<meta refines=\"#c1\" property=\"role\" scheme=\"marc:relators\">aut</meta>"
       "<dc:creator id=\"c2\">Ed</dc:creator><meta refines=\"#c2\" property=\"role\">edt</meta>"
       "<dc:creator>Bob</dc:creator><dc:language>en</dc:language>",
       {u"Ann"},
       {},
       u"en"},
      {"no creator says its role: every one is an author",
       "<dc:creator>Ann</dc:creator><dc:creator>Bob</dc:creator>",
       {u"Ann", u"Bob"},
       {},
       u""},
      {"roles, but no author: those without a role",
       "<dc:creator "
       "opf:role=\"edt\">Ed</dc:creator><dc:creator>Bob</dc:creator><dc:language>tlh</dc:language>",
       {u"Bob"},
       {},
       u"tlh"},
      {"EPUB 3 details: a description in escaped HTML, the date of publication, subjects, the series of the "
       "type series",
       "<dc:creator opf:role=\"aut\">Ann</dc:creator><dc:creator opf:role=\"trl\">Tom</dc:creator>"
       "<dc:description>&lt;p&gt;A &lt;b&gt;great&lt;/b&gt; novel.&lt;/p&gt;&lt;p&gt;Two&amp;amp;three."
       "&lt;/p&gt;</dc:description><dc:description>Second.</dc:description>"
       "<dc:date opf:event=\"modification\">2020-01-01</dc:date><dc:date opf:event=\"publication\">1869"
       "</dc:date><dc:subject>Fiction</dc:subject><dc:subject>War</dc:subject><dc:subject>Fiction</"
       "dc:subject>"
       "<meta property=\"belongs-to-collection\" id=\"s1\">Boxed Set</meta>"
       "<meta refines=\"#s1\" property=\"collection-type\">set</meta>"
       "<meta property=\"belongs-to-collection\" id=\"s2\">Saga</meta>"
       "<meta refines=\"#s2\" property=\"collection-type\">series</meta>"
       "<meta refines=\"#s2\" property=\"group-position\">3</meta>"
       "<meta name=\"calibre:series\" content=\"Not this\"/>",
       {u"Ann"},
       {u"A great novel.\nTwo&three.", u"1869", {u"Fiction", u"War"}, u"Saga", u"3"},
       u""},
      {"calibre's series and index; calibre's date for none",
       "<dc:date>0101-01-01T00:00:00+00:00</dc:date><meta name=\"calibre:series\" content=\"Old Saga\"/>"
       "<meta name=\"calibre:series_index\" content=\"2.0\"/><dc:description>Plain "
       "text,\nwrapped.</dc:description>",
       {},
       {u"Plain text, wrapped.", u"", {}, u"Old Saga", u"2"},
       u""},
      {"a series part that is no whole number stays as written; an index without a series is none",
       "<meta property=\"belongs-to-collection\" id=\"s\">Saga</meta>"
       "<meta refines=\"#s\" property=\"group-position\">1.5</meta>",
       {},
       {u"", u"", {}, u"Saga", u"1.5"},
       u""},
  };
  for (const MetadataCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TBook book =
        ReadOrFail(Epub({{"OEBPS/content.opf", Package(kTitle + c.metadata, Item("a", "a.xhtml"), Ref("a"))},
                         {"OEBPS/a.xhtml", Xhtml("<p>Text.</p>")}}));
    EXPECT_EQ(book.Authors, c.authors);
    EXPECT_EQ(book.Details, c.details);
    EXPECT_EQ(book.Language, c.language);
  }
}

TEST(EpubReader, ReadsTitleAuthorsLanguageAndCover) {
  const std::string jpeg = "\xFF\xD8\xFF\xE0 a picture";
  const std::string epub3 = Epub(
      {{"OEBPS/content.opf",
        Package(
            "<dc:title id=\"t1\">The Series</dc:title><dc:title id=\"t2\">  The   Book </dc:title>"
            "<meta refines=\"#t2\" property=\"title-type\">main</meta><dc:creator id=\"a1\">Ann "
            "Author</dc:creator>"
            "<meta refines=\"#a1\" property=\"role\" scheme=\"marc:relators\">aut</meta>"
            "<dc:creator id=\"e1\">Ed Editor</dc:creator><meta refines=\"#e1\" property=\"role\">edt</meta>"
            "<dc:creator>Bob "
            "Writer</dc:creator><dc:language>en-GB</dc:language><dc:language>fr</dc:language>",
            Item("a", "a.xhtml") + "<item id=\"img\" href=\"Images/cover.jpg\" media-type=\"image/jpeg\" "
                                   "properties=\"cover-image\"/>",
            Ref("a"))},
       {"OEBPS/a.xhtml", Xhtml("<p>Text.</p>")},
       {"OEBPS/Images/cover.jpg", jpeg}});
  const TBook book = ReadOrFail(epub3);
  EXPECT_EQ(book.Title, u"The Book");
  // A creator with the role "aut" is an author: one without a role then is not.
  EXPECT_EQ(book.Authors, (std::vector<std::u16string>{u"Ann Author"}));
  EXPECT_EQ(book.Language, u"en-GB");
  EXPECT_EQ(book.Cover.Bytes, jpeg);
  EXPECT_EQ(book.Cover.MediaType, "image/jpeg");

  for (const char* cover : {"pic", "Images/cover.png"}) {
    SCOPED_TRACE(cover);
    const std::string epub2 = Epub(
        {{"OEBPS/content.opf",
          Package(
              std::string("<dc:title>Old</dc:title><dc:creator opf:role=\"aut\">Ann</dc:creator>"
                          "<dc:creator opf:role=\"trl\">Tom</dc:creator><meta name=\"cover\" content=\"") +
                  cover + "\"/>",
              Item("a", "a.xhtml") + "<item id=\"pic\" href=\"Images/cover.png\" media-type=\"image/png\"/>",
              Ref("a"), "2.0")},
         {"OEBPS/a.xhtml", Xhtml("<p>Text.</p>")},
         {"OEBPS/Images/cover.png", "\x89PNG"}});
    const TBook old = ReadOrFail(epub2);
    EXPECT_EQ(old.Title, u"Old");
    EXPECT_EQ(old.Authors, std::vector<std::u16string>{u"Ann"});
    EXPECT_EQ(old.Cover.Bytes, "\x89PNG");
    EXPECT_EQ(old.Cover.MediaType, "image/png");
  }
}

TEST(EpubReader, SkipsEntriesWithAbsoluteOrParentNamesAndFontObfuscation) {
  const std::string epub =
      Epub({{"/etc/book.xhtml", Xhtml("<p>Absolute</p>")},
            {"../OEBPS/a.xhtml", Xhtml("<p>Parent</p>")},
            {"META-INF/encryption.xml",
             "<encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" "
             "xmlns:enc=\"http://www.w3.org/2001/04/xmlenc#\"><enc:EncryptedData><enc:EncryptionMethod "
             "Algorithm=\"http://www.idpf.org/2008/embedding\"/><enc:CipherData><enc:CipherReference "
             "URI=\"OEBPS/Fonts/serif.otf\"/></enc:CipherData></enc:EncryptedData></encryption>"},
            {"OEBPS/content.opf", Package(kTitle, Item("a", "a.xhtml"), Ref("a"))},
            {"OEBPS/a.xhtml", Xhtml("<p>Inside</p>")},
            {"OEBPS/Fonts/serif.otf", "obfuscated"}});
  EXPECT_EQ(Utf8Lines(ReadOrFail(epub)), std::vector<std::string>{"Inside"});
}

TEST(EpubReader, NeverReadsAnExternalEntity) {
  testing::ScopedTempDir dir;
  const std::string secret = testing::WriteFile(dir.File("secret.txt"), "TOPSECRET");
  const std::string doc =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE html [<!ENTITY s SYSTEM \"file://" + secret +
      "\"><!ENTITY % p SYSTEM \"file://" + secret +
      "\"> %p;]>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>A&s;B</p></body></html>";
  const TBook book = ReadOrFail(
      Epub({{"OEBPS/content.opf", Package(kTitle, Item("a", "a.xhtml"), Ref("a"))}, {"OEBPS/a.xhtml", doc}}));
  EXPECT_EQ(Utf8Lines(book), std::vector<std::string>{"AB"});
}

std::string Book(const std::string& chapter) {
  return Epub(
      {{"OEBPS/content.opf", Package(kTitle, Item("a", "a.xhtml"), Ref("a"))}, {"OEBPS/a.xhtml", chapter}});
}

// The billion laughs: ten entities each ten times the one before.
std::string EntityBomb() {
  std::string dtd = "<!ENTITY e0 \"laugh\">";
  for (int i = 1; i <= 9; ++i) {
    dtd += "<!ENTITY e" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) dtd += "&e" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  return "<?xml version=\"1.0\"?><!DOCTYPE html [" + dtd +
         "]><html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>&e9;</p></body></html>";
}

// One entity of 10 kB used ten thousand times: 100 MB of text from 40 kB.
std::string WideEntityBomb() {
  std::string doc = "<?xml version=\"1.0\"?><!DOCTYPE html [<!ENTITY e \"" + std::string(10000, 'x') +
                    "\">]><html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>";
  for (int i = 0; i < 10000; ++i) doc += "&e;";
  return doc + "</p></body></html>";
}

std::string WithCorruptedEntry() {
  std::string epub = Epub({{"OEBPS/content.opf", Package(kTitle, Item("a", "a.xhtml"), Ref("a"))},
                           {"OEBPS/a.xhtml", Xhtml("<p>Some text to spoil.</p>"), true}});
  epub[epub.find("to spoil")] = 'X';
  return epub;
}

TEST(EpubReader, RefusesBadBooksWithAClearMessage) {
  TBookLimits small;
  small.MaxEntryBytes = 1000;
  TBookLimits tiny;
  tiny.MaxBookBytes = 1000;
  TBookLimits shortText;
  shortText.MaxTextBytes = 10;
  TBookLimits fewBytes;
  fewBytes.MaxUnpackedBytes = 1500;
  const std::string spine = Package(kTitle, Item("a", "a.xhtml"), Ref("a"));
  const std::string encryption =
      "<encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" "
      "xmlns:enc=\"http://www.w3.org/2001/04/xmlenc#\"><enc:EncryptedData><enc:CipherData>"
      "<enc:CipherReference URI=\"OEBPS/a.xhtml\"/></enc:CipherData></enc:EncryptedData></encryption>";
  struct {
    const char* what;
    std::string bytes;
    std::string error;  // the message, or its start where libxml2 words the rest
    TBookLimits limits;
  } const cases[] = {
      {"no ZIP archive", "Just some text.", "not a ZIP archive", {}},
      {"a ZIP bomb: 2 MB of zeros in a few kB",
       Book(Xhtml("<p>" + std::string(2 << 20, '0') + "</p>")),
       "OEBPS/a.xhtml unpacks to more than 100 times its packed size",
       {}},
      {"an entry beyond the limit of one entry", Book(Xhtml("<p>" + std::string(2000, 'w') + "</p>")),
       "OEBPS/a.xhtml unpacks to more than 1000 bytes", small},
      {"entries beyond the limit of all together", Book(Xhtml("<p>" + std::string(1200, 'w') + "</p>")),
       "the archive unpacks to more than 1500 bytes", fewBytes},
      {"a book beyond the size limit", Book(Xhtml("<p>" + std::string(2000, 'w') + "</p>")),
       "the book is larger than 1000 bytes", tiny},
      {"text beyond the text limit", Book(Xhtml("<p>More than ten bytes of text</p>")),
       "the text is larger than 10 bytes", shortText},
      {"a damaged entry",
       WithCorruptedEntry(),
       "OEBPS/a.xhtml is damaged: its checksum does not match its content",
       {}},
      {"a ZIP archive cut short",
       Book(Xhtml("<p>Cut.</p>")).substr(0, 100),
       "the ZIP archive is cut short or damaged: its list of files is missing",
       {}},
      {"no container.xml and no single package document",
       MakeZip({{"mimetype", "application/epub+zip", true}, {"a.opf", spine}, {"b.opf", spine}}),
       "META-INF/container.xml is missing",
       {}},
      {"a container.xml that is not well-formed",
       MakeZip({{"mimetype", "application/epub+zip", true},
                {"META-INF/container.xml", "<container><rootfiles>"}}),
       "META-INF/container.xml: line 1: ",
       {}},
      {"a container.xml that names no package document",
       MakeZip({{"META-INF/container.xml", "<container><rootfiles/></container>"}}),
       "META-INF/container.xml names no package document",
       {}},
      {"a container.xml that names a path out of the book",
       MakeZip({{"META-INF/container.xml", testing::Container("../content.opf")}}),
       "META-INF/container.xml names no package document",
       {}},
      {"a missing package document",
       MakeZip({{"META-INF/container.xml", testing::Container()}}),
       "the package document OEBPS/content.opf is missing",
       {}},
      {"a package document that is not well-formed",
       Epub({{"OEBPS/content.opf", "<package><manifest></package>"}}),
       "OEBPS/content.opf: line 1: ",
       {}},
      {"a spine item the manifest does not list",
       Epub({{"OEBPS/content.opf", Package(kTitle, Item("a", "a.xhtml"), Ref("a") + Ref("ghost"))},
             {"OEBPS/a.xhtml", Xhtml("<p>A</p>")}}),
       "the spine names \"ghost\", which the manifest does not list",
       {}},
      {"names from the book keep the message on one line",
       Epub({{"OEBPS/content.opf", Package(kTitle, Item("a", "a.xhtml"), Ref("a") + Ref("gh&#10;o&#13;st"))},
             {"OEBPS/a.xhtml", Xhtml("<p>A</p>")}}),
       "the spine names \"gh?o?st\", which the manifest does not list",
       {}},
      {"a spine item that is not in the archive",
       Epub({{"OEBPS/content.opf",
              Package(kTitle, Item("a", "a.xhtml") + Item("b", "b.xhtml"), Ref("a") + Ref("b"))},
             {"OEBPS/a.xhtml", Xhtml("<p>A</p>")}}),
       "the spine item OEBPS/b.xhtml is not in the book",
       {}},
      {"a spine item leading out of the book",
       Epub({{"OEBPS/content.opf", Package(kTitle, Item("a", "../../a.xhtml"), Ref("a"))},
             {"../a.xhtml", Xhtml("<p>A</p>")}}),
       "the spine item \"a\" leads out of the book",
       {}},
      {"encryption.xml listing a document",
       Epub({{"META-INF/encryption.xml", encryption},
             {"OEBPS/content.opf", spine},
             {"OEBPS/a.xhtml", "\x13\x9A encrypted"}}),
       "encrypted books cannot be read",
       {}},
      {"an encryption.xml that cannot be read",
       Epub({{"META-INF/encryption.xml", "<encryption>"},
             {"OEBPS/content.opf", spine},
             {"OEBPS/a.xhtml", Xhtml("<p>A</p>")}}),
       "encrypted books cannot be read",
       {}},
      {"DRM rights",
       Epub({{"META-INF/rights.xml", "<rights/>"},
             {"OEBPS/content.opf", spine},
             {"OEBPS/a.xhtml", Xhtml("<p>A</p>")}}),
       "encrypted books cannot be read",
       {}},
      {"an entry encrypted in the ZIP archive",
       Epub({{"OEBPS/content.opf", spine}, {"OEBPS/a.xhtml", Xhtml("<p>A</p>"), false, "secret"}}),
       "encrypted books cannot be read",
       {}},
      {"a document that is not well-formed",
       Book(Xhtml("<p>Open<b>and shut</p>")),
       "OEBPS/a.xhtml: line 5: Opening and ending tag mismatch: b line 5 and p",
       {}},
      {"an unescaped ampersand", Book(Xhtml("<p>AT&T</p>")), "OEBPS/a.xhtml: line 5: ", {}},
      {"an entity bomb",
       Book(EntityBomb()),
       "OEBPS/a.xhtml: its entities expand to far more text than it holds (an entity bomb)",
       {}},
      {"an entity bomb of one wide entity",
       Book(WideEntityBomb()),
       "OEBPS/a.xhtml: its entities expand to far more text than it holds (an entity bomb)",
       {}},
      {"a book without text",
       Book(Xhtml("<p> </p><img src=\"cover.jpg\"/><script>text()</script>")),
       "the book holds no text",
       {}},
      {"a book with an empty spine",
       Epub({{"OEBPS/content.opf", Package(kTitle, "", "")}}),
       "the book holds no text",
       {}},
      {"a book of nothing but front matter left out",
       Epub(
           {{"OEBPS/content.opf",
             Package(kTitle, Item("a", "a.xhtml") + Item("b", "b.xhtml"), Ref("a") + Ref("b"))},
            {"OEBPS/a.xhtml", Xhtml("<section epub:type=\"imprint\"><h2>Imprint</h2><p>Us.</p></section>")},
            {"OEBPS/b.xhtml",
             Xhtml("<p epub:type=\"x\"><a href=\"a.xhtml\">One</a></p><p><a href=\"a.xhtml\">Two</a></p>")}}),
       "the book holds no text but the parts left out: Imprint (imprint), toc; --book-parts all reads them",
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TBook book;
    book.Title = u"left over";
    std::u16string error;
    EXPECT_FALSE(ReadEpub(c.bytes, book, error, c.limits));
    EXPECT_TRUE(ToUtf8(error).starts_with(c.error)) << ToUtf8(error);
    EXPECT_TRUE(book.Lines.empty() && book.Title.empty());
  }
}

}  // namespace
}  // namespace sonacli

#include "book/fb2_reader.h"

#include <gtest/gtest.h>

#include "book_test_support.h"
#include "common/unicode_text.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ChapterMarks;
using testing::Fb2;
using testing::Utf8Lines;

constexpr const char* kInfo = "<book-title>Book</book-title><lang>en</lang>";

TBook ReadOrFail(const std::string& bytes) {
  TBook book;
  std::u16string error;
  EXPECT_TRUE(ReadFb2(bytes, book, error)) << ToUtf8(error);
  return book;
}

TEST(Fb2Reader, ReadsTheMainBodyByBlocksWithSectionsAsChapters) {
  struct {
    const char* what;
    std::string body;
    std::vector<std::string> lines;
    std::vector<std::string> chapters;  // "title@line"
  } const cases[] = {
      {"titles, epigraphs, paragraphs, subtitles, cites and their authors; empty-line ends a paragraph",
       "<body><title><p>The Book</p></title><epigraph><p>To "
       "be.</p><text-author>Someone</text-author></epigraph>"
       "<section><title><p>Chapter 1</p><p>The Start</p></title><p>First <emphasis>para</emphasis>graph"
       "<strong>.</strong></p><empty-line/><p>Second.</p><subtitle>* * *</subtitle><cite><p>Quoted.</p>"
       "<text-author>Author</text-author></cite></section><section><title><p>Chapter 2.</p><p>End</p></title>"
       "<p>Last.</p></section></body>",
       {"The Book", "To be.", "Someone", "Chapter 1", "The Start", "First paragraph.", "Second.", "Quoted.",
        "Author", "Chapter 2.", "End", "Last."},
       {"Chapter 1. The Start@3", "Chapter 2. End@9"}},
      {"poems: every verse line is a line; a poem's title is no chapter",
       "<body><section><title><p>Poems</p></title><poem><title><p>Autumn</p></title><epigraph><p>Epi.</p>"
       "</epigraph><stanza><v>Line one,</v><v>line "
       "<emphasis>two</emphasis>.</v></stanza><stanza><title><p>II</p>"
       "</title><v>Line "
       "three</v></stanza><text-author>Poet</text-author><date>1830</date></poem></section></body>",
       {"Poems", "Autumn", "Epi.", "Line one,", "line two.", "II", "Line three", "Poet", "1830"},
       {"Poems@0"}},
      {"nested sections name their place; a part of nothing but its title merges into its first chapter; an "
       "untitled section, or one whose title is empty, is titled by its first line; one without text is none",
       "<body><section><title><p>Part I</p></title><section><title><p>Chapter "
       "1</p></title><p>A.</p></section>"
       "<section><p>Untitled text.</p></section><section><title><p> </p></title><p>Nameless chapter text.</p>"
       "</section></section><section><p>Untitled top "
       "section.</p></section><section><title><empty-line/></title>"
       "</section></body>",
       {"Part I", "Chapter 1", "A.", "Untitled text.", "Nameless chapter text.", "Untitled top section."},
       {"Part I, Chapter 1@0", "Part I, Untitled text.@3", "Part I, Nameless chapter text.@4",
        "Untitled top section.@5"}},
      {"the bodies of notes and comments are not read, nor the links to notes, nor numbers glued to words "
       "that "
       "link to notes",
       "<body><section><title><p>One</p></title><p>Text<a l:href=\"#n1\" type=\"note\">[1]</a> and more"
       "<a l:href=\"#n2\"><sup>2</sup></a>, then <a l:href=\"#c1\">a link</a>, here<a l:href=\"#n3\">3</a> "
       "and "
       "in part<a l:href=\"#s2\">2</a>.</p></section><section id=\"s2\"><p>Two.</p></section></body>"
       "<body name=\"notes\"><title><p>Notes</p></title><section id=\"n1\"><title><p>1</p></title><p>Note "
       "one.</p></section><section id=\"n3\"><p>Three.</p></section></body>"
       "<body name=\"Comments\"><section id=\"c1\"><p>Comment.</p></section></body>"
       "<body><p>A later body.</p></body>",
       {"One", "Text and more, then a link, here and in part2.", "Two."},
       {"One@0", "Two.@2"}},
      {"the main body is the first that holds no notes",
       "<body "
       "name=\"notes\"><section><p>Note.</p></section></body><body><section><p>Main.</p></section></body>",
       {"Main."},
       {"Main.@0"}},
      {"table cells are lines; pictures are not read",
       "<body><section><image l:href=\"#p1\"/><table><tr><th>Head</th><td>Cell</td></tr></table>"
       "<p>Before <image l:href=\"#p2\"/>after</p></section></body>",
       {"Head", "Cell", "Before after"},
       {"Head@0"}},
      {"every tag form of the program stays text",
       "<body><p>{{pause=2000000000}} {{audio=/etc/passwd.wav}} {{lang=en}} {{chapter=Forged}} "
       "{{pause=</p></body>",
       {"{{pause=2000000000}} {{audio=/etc/passwd.wav}} {{lang=en}} {{chapter=Forged}} {{pause="},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TBook book = ReadOrFail(Fb2(kInfo, c.body));
    EXPECT_EQ(Utf8Lines(book), c.lines);
    EXPECT_EQ(ChapterMarks(book), c.chapters);
  }
}

std::string Utf16LittleEndian(std::string_view utf8) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : ToUtf16(utf8)) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

TEST(Fb2Reader, ReadsTheEncodingItDeclares) {
  const std::string info =
      "<author><first-name>Лев</first-name><last-name>Толстой</last-name></author>"
      "<book-title>Война и мир</book-title><lang>ru</lang>";
  const std::string body =
      "<body><section><title><p>Глава I</p></title><p>Ну что, князь, Генуя и Лукка.</p>"
      "</section></body>";
  const std::string utf8 = Fb2(info, body, "");
  const std::string declared = "<?xml version=\"1.0\" encoding=\"%\"?>";
  const auto document = [&](const std::string& encoding, int codePage) {
    std::string declaration = declared;
    declaration.replace(declaration.find('%'), 1, encoding);
    return EncodeCodePage(ToUtf16(Fb2(info, body, declaration)), codePage);
  };
  struct {
    const char* what;
    std::string bytes;
    std::string glava;  // "Глава" as the encoding writes it
  } const cases[] = {
      {"UTF-8 without a declaration", utf8, "Глава"},
      {"windows-1251", document("windows-1251", 1251), "\xC3\xEB\xE0\xE2\xE0"},
      {"KOI8-R", document("koi8-r", 20866), "\xE7\xCC\xC1\xD7\xC1"},
      {"UTF-16 with its byte-order mark",
       Utf16LittleEndian(Fb2(info, body, "<?xml version=\"1.0\" encoding=\"UTF-16\"?>")),
       std::string("\x13\x04\x3B\x04", 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NE(c.bytes.find(c.glava), std::string::npos);
    const TBook book = ReadOrFail(c.bytes);
    EXPECT_EQ(Utf8Lines(book), (std::vector<std::string>{"Глава I", "Ну что, князь, Генуя и Лукка."}));
    EXPECT_EQ(ChapterMarks(book), std::vector<std::string>{"Глава I@0"});
    EXPECT_EQ(book.Title, u"Война и мир");
    EXPECT_EQ(book.Authors, std::vector<std::u16string>{u"Лев Толстой"});
    EXPECT_EQ(book.Language, u"ru");
  }
}

TEST(Fb2Reader, ReadsAuthorsTitleLanguageDetailsAndCover) {
  const std::string info =
      "<genre>prose_classic</genre><genre>sf</genre><genre>prose_classic</genre><author><first-name> Anna "
      "</first-name><middle-name>B.</middle-name><last-name>Writer</last-name><email>a@b.c</email></author>"
      "<author><nickname>Nick</nickname></author><author><first-name></first-name></author>"
      "<book-title>A  Title</book-title><annotation><p>A <strong>great</strong>\n novel.</p><empty-line/>"
      "<p>In two parts.</p></annotation><date value=\"1869-01-01\">1869</date><coverpage><image "
      "l:href=\"#cover.jpg\"/></coverpage><lang>en</lang><sequence name=\"Saga\" number=\"3\"/>"
      "<sequence name=\"Other\" number=\"1\"/>";
  const TBook book =
      ReadOrFail(Fb2(info,
                     "<body><section><p>Text.</p></section></body>"
                     "<binary id=\"other.png\" content-type=\"image/png\">iVBORw==</binary>"
                     "<binary id=\"cover.jpg\" content-type=\"image/jpeg\">/9j/4AAQ\nSkZJ\r\nRg==</binary>"));
  EXPECT_EQ(Utf8Lines(book), std::vector<std::string>{"Text."});
  EXPECT_EQ(book.Title, u"A Title");
  EXPECT_EQ(book.Authors, (std::vector<std::u16string>{u"Anna B. Writer", u"Nick"}));
  EXPECT_EQ(book.Language, u"en");
  const TBookDetails details = {
      u"A great novel.\nIn two parts.", u"1869", {u"prose_classic", u"sf"}, u"Saga", u"3"};
  EXPECT_EQ(book.Details, details);
  EXPECT_EQ(book.Cover.Bytes, std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
  EXPECT_EQ(book.Cover.MediaType, "image/jpeg");

  // The date's value when it has no text; the sequence of publish-info when title-info has none; no
  // language.
  const TBook other = ReadOrFail(
      "<?xml version=\"1.0\"?><FictionBook xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info>"
      "<date value=\"2001-05-03\"/></title-info><publish-info><sequence name=\"Printed\" number=\"1.5\"/>"
      "</publish-info></description><body><p>Text.</p></body></FictionBook>");
  const TBookDetails otherDetails = {u"", u"2001-05-03", {}, u"Printed", u"1.5"};
  EXPECT_EQ(other.Details, otherDetails);
  EXPECT_EQ(other.Language, u"");
}

TEST(Fb2Reader, LeavesOutATableOfContentsUnlessAllPartsAreRead) {
  const std::string fb2 = Fb2(
      kInfo,
      "<body><section><title><p>Contents</p></title><p><a l:href=\"#c1\">Chapter One</a> .... 3</p>"
      "<p><a l:href=\"#c2\">Chapter Two</a></p></section><section id=\"c1\"><title><p>Chapter One</p></title>"
      "<p>See <a l:href=\"#c2\">the next</a>.</p></section><section id=\"c2\"><title><p>Chapter "
      "Two</p></title>"
      "<p><a l:href=\"#c1\">Back</a></p></section></body>");
  const TBook book = ReadOrFail(fb2);
  EXPECT_EQ(Utf8Lines(book),
            (std::vector<std::string>{"Chapter One", "See the next.", "Chapter Two", "Back"}));
  EXPECT_EQ(ChapterMarks(book), (std::vector<std::string>{"Chapter One@0", "Chapter Two@2"}));
  EXPECT_EQ(testing::LeftOutMarks(book), std::vector<std::string>{"Contents|toc|37"});

  TBook all;
  std::u16string error;
  TBookReadOptions options;
  options.AllParts = true;
  ASSERT_TRUE(ReadFb2(fb2, all, error, {}, options)) << ToUtf8(error);
  EXPECT_EQ(Utf8Lines(all).size(), 7u);
  EXPECT_EQ(ChapterMarks(all), (std::vector<std::string>{"Contents@0", "Chapter One@3", "Chapter Two@5"}));
  EXPECT_TRUE(all.LeftOut.empty());
}

TEST(Fb2Reader, ReadsAnFb2InAZipArchive) {
  const std::string fb2 =
      Fb2(kInfo, "<body><section><title><p>Zipped</p></title><p>Text.</p></section></body>");
  for (const char* name : {"book.fb2", "Folder/BOOK.FB2", "book.xml"}) {
    SCOPED_TRACE(name);
    // The copy of a resource fork that macOS adds is no second book.
    const std::string zip = MakeZip({{"readme.txt", "Not the book."},
                                     {name, fb2},
                                     {"__MACOSX/._book.fb2", "Mac OS X resource fork"},
                                     {"._book.fb2", "Mac OS X resource fork"}});
    TBook book;
    std::u16string error;
    ASSERT_TRUE(ReadFb2Zip(zip, book, error)) << ToUtf8(error);
    EXPECT_EQ(Utf8Lines(book), (std::vector<std::string>{"Zipped", "Text."}));
    EXPECT_EQ(ChapterMarks(book), std::vector<std::string>{"Zipped@0"});
  }
}

TEST(Fb2Reader, NeverReadsAnExternalEntity) {
  testing::ScopedTempDir dir;
  const std::string secret = testing::WriteFile(dir.File("secret.txt"), "TOPSECRET");
  const std::string fb2 = "<?xml version=\"1.0\"?><!DOCTYPE FictionBook [<!ENTITY s SYSTEM \"" + secret +
                          "\">]>" + Fb2(kInfo, "<body><p>A&s;B</p></body>", "").substr(1);
  EXPECT_EQ(Utf8Lines(ReadOrFail(fb2)), std::vector<std::string>{"AB"});
}

TEST(Fb2Reader, RefusesBadBooksWithAClearMessage) {
  TBookLimits tiny;
  tiny.MaxBookBytes = 1000;
  TBookLimits small;
  small.MaxEntryBytes = 1000;
  const std::string big = Fb2(kInfo, "<body><p>" + std::string(2000, 'w') + "</p></body>");
  const std::string cut = Fb2(kInfo, "<body><p>Text</p></body>");
  struct {
    const char* what;
    std::string bytes;
    bool zipped;
    std::string error;  // the message, or its start where libxml2 words the rest
    TBookLimits limits;
  } const cases[] = {
      {"XML that is no FB2",
       "<html><body><p>Text</p></body></html>",
       false,
       "not an FB2 book: its root element is html",
       {}},
      {"no XML at all", "Just text.", false, "line 1: Start tag expected, '<' not found", {}},
      {"an empty file", "", false, "the document is empty", {}},
      {"not well-formed",
       Fb2(kInfo, "<body><p>Text</body>"),
       false,
       "line 4: Opening and ending tag mismatch: p line 4 and body",
       {}},
      {"cut short", cut.substr(0, cut.find("Te")), false, "line 4: Premature end of data in tag p", {}},
      {"an encoding nobody knows",
       Fb2(kInfo, "<body><p>Text</p></body>", "<?xml version=\"1.0\" encoding=\"x-bogus-encoding\"?>"),
       false,
       "its declared encoding \"x-bogus-encoding\" is not known",
       {}},
      {"UTF-16 declared over bytes of one byte a character",
       Fb2(kInfo, "<body><p>Text</p></body>", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"),
       false,
       "it declares the encoding UTF-16, but its bytes are not in it",
       {}},
      {"windows-1251 text that declares no encoding",
       "<FictionBook><body><p>\xCA\xED\xE8\xE3\xE0</p></body></FictionBook>",
       false,
       "line 1: the text is not UTF-8 and declares no other encoding (bytes 0xCA 0xED 0xE8 0xE3)",
       {}},
      {"an entity bomb",
       "<?xml version=\"1.0\"?><!DOCTYPE FictionBook [<!ENTITY a \"" + std::string(5000, 'a') +
           "\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
           "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>" +
           Fb2(kInfo, "<body><p>&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;</p></body>", "")
               .substr(1),
       false,
       "its entities expand to far more text than it holds (an entity bomb)",
       {}},
      {"no text: a description only", Fb2(kInfo, ""), false, "the book holds no text", {}},
      {"no text: notes and pictures only",
       Fb2(kInfo,
           "<body><image l:href=\"#p\"/><section><title><p> </p></title></section></body>"
           "<body name=\"notes\"><section><p>Note.</p></section></body>"),
       false,
       "the book holds no text",
       {}},
      {"beyond the size limit", big, false, "the book is larger than 1000 bytes", tiny},
      {"a ZIP archive without an FB2 book",
       MakeZip({{"readme.txt", "Not a book."}}),
       true,
       "the ZIP archive holds no FB2 book",
       {}},
      {"a ZIP archive of three FB2 books",
       MakeZip({{"a.fb2", cut}, {"b.fb2", cut}, {"c/C.FB2", cut}}),
       true,
       "the ZIP archive holds 3 FB2 books: unpack it and give each book with -f, or list them with -fl",
       {}},
      {"an FB2 in a ZIP archive whose encoding cannot be used",
       MakeZip(
           {{"b.fb2", Fb2(kInfo, "<body><p>x</p></body>", "<?xml version=\"1.0\" encoding=\"x-bogus\"?>")}}),
       true,
       "b.fb2: its declared encoding \"x-bogus\" is not known",
       {}},
      {"a book of nothing but a table of contents",
       Fb2(kInfo,
           "<body><section><title><p>Contents</p></title><p><a l:href=\"#a\">One</a></p>"
           "<p><a l:href=\"#b\">Two</a></p></section></body>"),
       false,
       "the book holds no text but the parts left out: Contents (toc); --book-parts all reads them",
       {}},
      {"an FB2 in a ZIP archive that is not well-formed, its name of two lines on one",
       MakeZip({{"b\n.fb2", Fb2(kInfo, "<body><p>x</body>")}}),
       true,
       "b?.fb2: line 4: Opening and ending tag mismatch",
       {}},
      {"an FB2 in a ZIP archive beyond the entry limit", MakeZip({{"b.fb2", big}}), true,
       "b.fb2 unpacks to more than 1000 bytes", small},
      {"a ZIP archive cut short after its first entry's header",
       "PK\x03\x04 but no more",
       true,
       "the ZIP archive is cut short or damaged: its list of files is missing",
       {}},
      {"no ZIP archive", "PK\x05\x06 no more", true, "not a ZIP archive", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TBook book;
    book.Title = u"left over";
    std::u16string error;
    EXPECT_FALSE(c.zipped ? ReadFb2Zip(c.bytes, book, error, c.limits)
                          : ReadFb2(c.bytes, book, error, c.limits));
    EXPECT_TRUE(ToUtf8(error).starts_with(c.error)) << ToUtf8(error);
    EXPECT_TRUE(book.Lines.empty() && book.Title.empty());
  }
}

}  // namespace
}  // namespace sonacli

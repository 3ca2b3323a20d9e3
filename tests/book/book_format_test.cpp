#include "book/book_format.h"

#include <gtest/gtest.h>

#include "book_test_support.h"
#include "platform/text_codec.h"

namespace sonacli {
namespace {

TEST(BookFormat, TellsBooksByTheirContent) {
  const std::string fb2 = testing::Fb2("<book-title>B</book-title>", "<body><p>Text</p></body>");
  const std::string epub = MakeZip({{"mimetype", "application/epub+zip", true}, {"OEBPS/a.xhtml", "<p/>"}});
  struct {
    const char* what;
    std::string bytes;
    TBookFormat format;
  } const cases[] = {
      {"an EPUB by its mimetype", epub, TBookFormat::Epub},
      {"an EPUB by its container.xml", MakeZip({{"META-INF/container.xml", testing::Container()}}),
       TBookFormat::Epub},
      {"an EPUB whose mimetype ends in a line break",
       MakeZip({{"mimetype", "application/epub+zip\r\n"}, {"a.fb2", fb2}}), TBookFormat::Epub},
      {"a ZIP with another mimetype and an FB2", MakeZip({{"mimetype", "application/zip"}, {"a.fb2", fb2}}),
       TBookFormat::Fb2Zip},
      {"an FB2 in a ZIP by the name of its entry", MakeZip({{"Book.FB2", "not even XML"}}),
       TBookFormat::Fb2Zip},
      {"an FB2 in a ZIP by its content", MakeZip({{"folder/", ""}, {"readme.txt", "Hello"}, {"book", fb2}}),
       TBookFormat::Fb2Zip},
      {"an FB2 in a ZIP behind more files than are looked into",
       MakeZip({{"1", ""},
                {"2", ""},
                {"3", ""},
                {"4", ""},
                {"5", ""},
                {"6", ""},
                {"7", ""},
                {"8", ""},
                {"book", fb2}}),
       TBookFormat::None},
      {"a ZIP of something else", MakeZip({{"a.txt", "Hello"}, {"b.xhtml", "<html/>"}}), TBookFormat::None},
      {"a damaged ZIP", epub.substr(0, epub.size() / 2), TBookFormat::None},
      {"an FB2", fb2, TBookFormat::Fb2},
      {"an FB2 with a byte-order mark, a comment and a DTD before its root",
       "\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- a comment --><!DOCTYPE FictionBook [<!ENTITY a \"b\">]>"
       "<FictionBook><body/></FictionBook>",
       TBookFormat::Fb2},
      {"an FB2 in windows-1251",
       EncodeCodePage(u"<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook>Книга", 1251),
       TBookFormat::Fb2},
      {"an FB2 larger than what is looked at", fb2 + std::string(200000, ' '), TBookFormat::Fb2},
      {"an FB2 whose declared encoding is not known: a book that cannot be read, not a text",
       testing::Fb2("", "<body><p>Text</p></body>", "<?xml version=\"1.0\" encoding=\"x-bogus-encoding\"?>"),
       TBookFormat::Fb2},
      {"an FB2 that declares UTF-16 over bytes of one byte a character",
       "<?xml version='1.0' encoding='UTF-16'?>\r\n<!-- made by hand -->\n<fb:FictionBook xmlns:fb=\"x\">",
       TBookFormat::Fb2},
      {"such an FB2 in a ZIP, by its content",
       MakeZip({{"book", "<?xml version=\"1.0\" encoding=\"x-bogus\"?><FictionBook><body/></FictionBook>"}}),
       TBookFormat::Fb2Zip},
      {"a ZIP of nothing but macOS's copy of a resource fork",
       MakeZip({{"__MACOSX/._b.fb2", "x"}, {"._c.fb2", "y"}}), TBookFormat::None},
      {"XHTML whose declared encoding is not known",
       "<?xml version=\"1.0\" encoding=\"x-bogus\"?><html><body/></html>", TBookFormat::None},
      {"XHTML", testing::Xhtml("<p>Text</p>"), TBookFormat::None},
      {"a text that mentions FictionBook", "FictionBook <FictionBook>", TBookFormat::None},
      {"a text", "Just a text.\r\nOn two lines.", TBookFormat::None},
      {"nothing", "", TBookFormat::None},
  };
  for (const auto& c : cases) EXPECT_EQ(DetectBookFormat(c.bytes), c.format) << c.what;
}

}  // namespace
}  // namespace sonacli

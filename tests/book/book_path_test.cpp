#include "book/book_path.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(BookPath, ResolvesLinksBetweenDocuments) {
  struct {
    const char* from;
    const char* href;
    std::optional<TBookLink> link;
  } const cases[] = {
      {"OEBPS/Text/c1.xhtml", "c2.xhtml", TBookLink{"OEBPS/Text/c2.xhtml", ""}},
      {"OEBPS/Nav/toc.xhtml", "../Text/ch%201.xhtml#p%203", TBookLink{"OEBPS/Text/ch 1.xhtml", "p 3"}},
      {"OEBPS/c1.xhtml", "#note", TBookLink{"OEBPS/c1.xhtml", "note"}},
      {"OEBPS/c1.xhtml", "./a/./b/../c.xhtml?x=1#f", TBookLink{"OEBPS/a/c.xhtml", "f"}},
      {"OEBPS/c1.xhtml", "/Images//cover.jpg", TBookLink{"Images/cover.jpg", ""}},
      {"content.opf", "Text/%C3%A9%2.xhtml", TBookLink{"Text/\u00E9%2.xhtml", ""}},
      {"", "META-INF/../OEBPS/a.xhtml", TBookLink{"OEBPS/a.xhtml", ""}},
      {"OEBPS/c1.xhtml", "../../etc/passwd", std::nullopt},
      {"OEBPS/c1.xhtml", "http://example.org/#x", std::nullopt},
      {"OEBPS/c1.xhtml", "mailto:a@b.c", std::nullopt},
      {"OEBPS/c1.xhtml", "", std::nullopt},
      {"OEBPS/c1.xhtml", "..", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveLink(c.from, c.href), c.link) << c.from << " + " << c.href;
}

TEST(BookPath, TellsSchemes) {
  EXPECT_TRUE(HasScheme("https://x"));
  EXPECT_TRUE(HasScheme("urn:isbn:1"));
  EXPECT_FALSE(HasScheme("a/b:c"));
  EXPECT_FALSE(HasScheme(":x"));
  EXPECT_FALSE(HasScheme("1a:x"));
}

}  // namespace
}  // namespace sonacli

#include "book/xhtml_text.h"

#include <gtest/gtest.h>

#include "book_test_support.h"
#include "common/unicode_text.h"

namespace sonacli {
namespace {

std::vector<std::string> Utf8(const std::vector<std::u16string>& lines) {
  std::vector<std::string> out;
  for (const std::u16string& line : lines) out.push_back(ToUtf8(line));
  return out;
}

std::vector<std::string> LinesOf(std::string_view body, const TXhtmlReadOptions& options = {}) {
  TBookText text;
  TXhtmlMarks marks;
  std::string error;
  EXPECT_TRUE(ReadXhtmlText(testing::Xhtml(body), options, text, marks, error)) << error;
  return Utf8(text.TakeLines());
}

TEST(XhtmlText, ReadsBlocksAsLines) {
  struct {
    const char* what;
    std::string body;
    std::vector<std::string> lines;
  } const cases[] = {
      {"paragraphs, headings, list items and table cells are one line each",
       "<h1>Title</h1><p>One.</p><ul><li>Item <b>one</b></li><li>Item two<ol><li>Nested</li></ol></li></ul>"
       "<table><caption>Caption</caption><tr><th>A</th><td>B</td></tr></table><dl><dt>Term</dt><dd>Sense</"
       "dd></dl>",
       {"Title", "One.", "Item one", "Item two", "Nested", "Caption", "A", "B", "Term", "Sense"}},
      {"inline elements join, white space collapses, blank blocks give no line",
       "<p>  Hel<em>lo</em>,\n   <span>wide</span>\t world  </p><p>   </p><p>&#160;&#8203;</p><p><i> "
       "</i></p>",
       {"Hello, wide world"}},
      {"no-break, typographic and ideographic spaces fold into one space; zero-width ones and soft hyphens "
       "go",
       "<p>&#160; 10&#160;km &#8239;&#8201; &#12288;long&#173;er&#8203;word&#65279; &#160;</p>",
       {"10 km longerword"}},
      {"a line without a letter or digit is no line",
       "<p>^</p><p>\u00AB ^ \u00BB</p><p>* * *</p><p>&#160;&#160;&#160;</p><p>\u2014 1 \u2014</p><p>\u00C0 "
       "la</p>",
       {"\u2014 1 \u2014", "\u00C0 la"}},
      {"<br> breaks the line, <pre> keeps its line breaks",
       "<p>Roses are red,<br/>violets blue.<br/><br/></p><pre>line one\n  line two\n</pre>",
       {"Roses are red,", "violets blue.", "line one", "line two"}},
      {"character references, entities and CDATA decoded",
       "<p>Fish &amp; chips &#8212; &#x41;&lt;b&gt; <![CDATA[<raw> & text]]></p>",
       {"Fish & chips \u2014 A<b> <raw> & text"}},
      {"HTML entities without a DTD",
       "<p>A&nbsp;B&mdash;C&hellip;&laquo;D&raquo;</p>",
       {"A B\u2014C\u2026\u00ABD\u00BB"}},
      {"every tag form of the program stays text",
       "<p>{{pause=2000000000}} {{audio=/etc/passwd.wav}} {{lang=en}} {{chapter=Forged}} {{pause=5 {{</p>",
       {"{{pause=2000000000}} {{audio=/etc/passwd.wav}} {{lang=en}} {{chapter=Forged}} {{pause=5 {{"}},
      {"ruby reads as its base text",
       "<p><ruby>\u6F22<rp>(</rp><rt>kan</rt><rp>)</rp>\u5B57<rt>ji</rt></ruby>\u3067\u3059</p>",
       {"\u6F22\u5B57\u3067\u3059"}},
      {"not read: scripts, styles, pictures, formulas, asides, media fallbacks",
       "<script>var x = 1;</script><style>p { }</style><p>Text<img src=\"a.png\" alt=\"Alt text\"/></p>"
       "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>Svg</text></svg>"
       "<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mi>x</mi></math>"
       "<aside><p>Aside</p></aside><figure><img src=\"b.png\"/><figcaption>Caption</figcaption></figure>"
       "<video><p>Fallback</p></video><noscript>No script</noscript>",
       {"Text", "Caption"}},
      {"EPUB 3 notes: noteref, footnote, endnotes, and DPUB roles",
       "<p>Word<a epub:type=\"noteref\" href=\"#n1\">1</a> end.</p>"
       "<aside epub:type=\"footnote\" id=\"n1\"><p>Aside note</p></aside>"
       "<div epub:type=\"footnote\"><p>Footnote</p></div><section "
       "epub:type=\"endnotes\"><p>Endnote</p></section>"
       "<p role=\"doc-footnote\">By role</p><p>Also<a role=\"doc-noteref\" href=\"#n5\">5</a>.</p>",
       {"Word end.", "Also."}},
      {"EPUB 2 note links: one to three digits set as superscript, in brackets, asterisks, daggers, note "
       "classes",
       "<p>One<sup><a href=\"notes.xhtml#n1\">1</a></sup> two<a href=\"#n2\"><sup>12</sup></a> "
       "three<a href=\"#n3\">[3]</a>, four<a href=\"#n4\">*</a>, five<a href=\"#n5\">\u2020</a>, "
       "six<a href=\"#n6\">\u00B2</a>, seven<sup><a href=\"#n7\">(7)</a></sup>, "
       "eight<sup><a href=\"#n8\">123</a></sup>, nine<a href=\"#n9\">[456]</a>, "
       "ten<a class=\"Calibre FootNote\" href=\"notes.xhtml\">note</a>.</p>"
       "<div class=\"footnotes\"><p>1. A note at the end.</p></div>",
       {"One two three, four, five, six, seven, eight, nine, ten."}},
      {"links that are no note marks stay: four digits, words, pages, links out of the book",
       "<p>See <a href=\"#ch2\">chapter 2</a>, page <a href=\"#p7\">7</a>, <a "
       "href=\"http://x.org/#a\">[1]</a>, <a href=\"#p8\">(8)</a>, <a href=\"notes.xhtml\"><sup>9</sup></a>, "
       "year<sup><a href=\"#y\">1869</a></sup> and (1)<sup>2</sup>.</p>",
       {"See chapter 2, page 7, [1], (8), 9, year1869 and (1)2."}},
      {"unknown elements are blocks, and so are the text around a nested block",
       "<div>Before<div>Inside</div>After</div><custom>Own</custom><p>x<hr/>y</p>",
       {"Before", "Inside", "After", "Own", "x", "y"}},
      {"an EPUB switch reads its default",
       "<p><epub:switch><epub:case required-namespace=\"x\">Case</epub:case>"
       "<epub:default>Default</epub:default></epub:switch></p>",
       {"Default"}},
  };
  for (const auto& c : cases) EXPECT_EQ(LinesOf(c.body), c.lines) << c.what;
}

TEST(XhtmlText, FindsTheWantedAnchorsHeadingsAndNotes) {
  TBookText text;
  text.Add("Line of an earlier document");
  text.EndLine();
  TXhtmlMarks marks;
  std::string error;
  TXhtmlReadOptions options;
  options.WantedIds = {"top", "mid", "deep", "end", "absent", "in-note", "in-svg"};
  ASSERT_TRUE(ReadXhtmlText(
      testing::Xhtml("<h1 id=\"top\">Part <br/>One</h1><p>Text <a name=\"mid\"/>more</p>"
                     "<div><p>x</p><h2><span id=\"deep\">Chapter</span> 1</h2></div><h3>Small</h3>"
                     "<div id=\"unwanted\"><p>Last<a href=\"notes.xhtml#n4\">4</a></p></div><h2> </h2>"
                     "<aside epub:type=\"footnote\" id=\"n1\"><p id=\"in-note\">Note</p></aside>"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" id=\"in-svg\"/><p id=\"end\"></p>"),
      options, text, marks, error))
      << error;
  const std::map<std::string, size_t> anchors = {{"top", 1}, {"mid", 3}, {"deep", 5}, {"end", 8}};
  EXPECT_EQ(marks.Anchors, anchors);
  EXPECT_EQ(marks.Unread, (std::set<std::string>{"in-note", "in-svg"}));
  EXPECT_EQ(marks.NoteIds, (std::set<std::string>{"in-note", "n1"}));
  const std::vector<TBookChapter> headings = {{u"Part. One", 1}, {u"Chapter 1", 5}};
  EXPECT_EQ(marks.Headings, headings);
  ASSERT_EQ(marks.GluedNumbers.size(), 1u);
  EXPECT_EQ(marks.GluedNumbers.front().Href, "notes.xhtml#n4");
  EXPECT_EQ(Utf8(text.Lines()), (std::vector<std::string>{"Line of an earlier document", "Part", "One",
                                                          "Text more", "x", "Chapter 1", "Small", "Last4"}));
  for (size_t line = 0; line < text.Lines().size(); ++line)
    EXPECT_EQ(text.IsHeading(line), line == 1 || line == 2 || line == 5 || line == 6) << line;
  text.DropPassages([](size_t) { return true; });
  EXPECT_EQ(ToUtf8(text.Lines().back()), "Last");
}

TEST(XhtmlText, LeavesOutTheMarkedParts) {
  const std::string body =
      "<section epub:type=\"titlepage\"><h1>Title</h1></section>"
      "<section epub:type=\"imprint\" id=\"imp\"><h2>Imprint</h2><p>Made by us.</p>"
      "<section epub:type=\"colophon\"><p>Set in Garamond.</p></section></section>"
      "<div epub:type=\"dedication\"><p>For you.</p></div>"
      "<nav epub:type=\"toc\"><ol><li><a href=\"c1.xhtml\">One</a></li></ol></nav>"
      "<div role=\"doc-index\"><p>Apples, 3</p></div>"
      "<section id=\"legal\"><p>All rights reserved.</p></section>"
      "<section epub:type=\"foreword\"><p>Foreword.</p></section>";
  TXhtmlReadOptions options;
  options.LeftOutIds = {{"legal", "copyright-page"}};
  options.WantedIds = {"imp"};
  TBookText text;
  TXhtmlMarks marks;
  std::string error;
  ASSERT_TRUE(ReadXhtmlText(testing::Xhtml(body), options, text, marks, error)) << error;
  EXPECT_EQ(Utf8(text.Lines()), (std::vector<std::string>{"Title", "For you.", "Foreword."}));
  ASSERT_EQ(marks.LeftOut.size(), 4u);
  const auto part = [&](size_t i) {
    return marks.LeftOut[i].Kind + "|" + ToUtf8(marks.LeftOut[i].Title) + "|" +
           std::to_string(marks.LeftOut[i].Characters) + "|" + marks.LeftOut[i].Id;
  };
  EXPECT_EQ(part(0), "imprint|Imprint|34|imp");
  EXPECT_EQ(part(1), "toc||3|");
  EXPECT_EQ(part(2), "index||9|");
  EXPECT_EQ(part(3), "copyright-page||20|legal");
  EXPECT_EQ(marks.Unread, std::set<std::string>{"imp"});

  options.AllParts = true;
  EXPECT_EQ(LinesOf(body, options),
            (std::vector<std::string>{"Title", "Imprint", "Made by us.", "Set in Garamond.", "For you.",
                                      "One", "Apples, 3", "All rights reserved.", "Foreword."}));
}

TEST(XhtmlText, NamesTheKindsOfBoilerplate) {
  struct {
    std::string types;
    std::string kind;
  } const cases[] = {
      {"copyright-page", "copyright-page"},
      {"frontmatter imprint", "imprint"},
      {"Colophon", "colophon"},
      {"toc", "toc"},
      {"index", "index"},
      {"loi", "loi"},
      {"lot", "lot"},
      {"landmarks", "landmarks"},
      {"page-list", "page-list"},
      {"doc-toc", "toc"},
      {"doc-pagelist", "page-list"},
      {"other.imprint", "imprint"},
      {"titlepage", ""},
      {"dedication epigraph", ""},
      {"foreword preface", ""},
      {"afterword appendix", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LeftOutKind(c.types), c.kind) << c.types;
}

}  // namespace
}  // namespace sonacli

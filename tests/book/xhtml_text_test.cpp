#include "book/xhtml_text.h"

#include <gtest/gtest.h>

#include "book_test_support.h"
#include "common/unicode_text.h"

namespace sonacli {
namespace {

std::vector<std::string> LinesOf(std::string_view body) {
  TBookText text;
  TXhtmlMarks marks;
  std::string error;
  EXPECT_TRUE(ReadXhtmlText(testing::Xhtml(body), {}, text, marks, error)) << error;
  std::vector<std::string> lines;
  for (const std::u16string& line : text.TakeLines()) lines.push_back(ToUtf8(line));
  return lines;
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
      {"no-break spaces stay inside a line and go at its ends",
       "<p>&#160; 10&#160;km &#160;</p>",
       {"10\u00A0km"}},
      {"<br> breaks the line, <pre> keeps its line breaks",
       "<p>Roses are red,<br/>violets blue.<br/><br/></p><pre>line one\n  line two\n</pre>",
       {"Roses are red,", "violets blue.", "line one", "line two"}},
      {"character references, entities and CDATA decoded",
       "<p>Fish &amp; chips &#8212; &#x41;&lt;b&gt; <![CDATA[<raw> & text]]></p>",
       {"Fish & chips \u2014 A<b> <raw> & text"}},
      {"HTML entities without a DTD",
       "<p>A&nbsp;B&mdash;C&hellip;&laquo;D&raquo;</p>",
       {"A\u00A0B\u2014C\u2026\u00ABD\u00BB"}},
      {"ruby reads as its base text",
       "<p><ruby>\u6F22<rp>(</rp><rt>kan</rt><rp>)</rp>\u5B57<rt>ji</rt></ruby>\u3067\u3059</p>",
       {"\u6F22\u5B57\u3067\u3059"}},
      {"not read: scripts, styles, pictures, formulas, navigation, asides, media fallbacks",
       "<script>var x = 1;</script><style>p { }</style><p>Text<img src=\"a.png\" alt=\"Alt text\"/></p>"
       "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>Svg</text></svg>"
       "<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mi>x</mi></math><nav><p>Nav</p></nav>"
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
      {"EPUB 2 note links: a number set as superscript, in brackets, asterisks, daggers, note classes",
       "<p>One<sup><a href=\"notes.xhtml#n1\">1</a></sup> two<a href=\"#n2\"><sup>12</sup></a> "
       "three<a href=\"#n3\">[3]</a>, four<a href=\"#n4\">*</a>, five<a href=\"#n5\">\u2020</a>, "
       "six<a href=\"#n6\">\u00B2</a>, seven<sup><a href=\"#n7\">(7)</a></sup>, "
       "eight<a class=\"Calibre FootNote\" href=\"notes.xhtml\">note</a>.</p>"
       "<div class=\"footnotes\"><p>1. A note at the end.</p></div>",
       {"One two three, four, five, six, seven, eight."}},
      {"links that are no note marks stay",
       "<p>See <a href=\"#ch2\">chapter 2</a>, page <a href=\"#p7\">7</a>, <a "
       "href=\"http://x.org/#a\">[1]</a>, "
       "<a href=\"#p8\">(8)</a>, <a href=\"notes.xhtml\"><sup>9</sup></a> and (1)<sup>2</sup>.</p>",
       {"See chapter 2, page 7, [1], (8), 9 and (1)2."}},
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

TEST(XhtmlText, FindsTheWantedAnchorsAndTheHeadings) {
  TBookText text;
  text.Add("Line of an earlier document");
  text.EndLine();
  TXhtmlMarks marks;
  std::string error;
  ASSERT_TRUE(
      ReadXhtmlText(testing::Xhtml("<h1 id=\"top\">Part <br/>One</h1><p>Text <a name=\"mid\"/>more</p>"
                                   "<h2><span id=\"deep\">Chapter</span> 1</h2><h3>Small</h3>"
                                   "<div id=\"unwanted\"><p>Last</p></div><h2> </h2><p id=\"end\"></p>"),
                    {"top", "mid", "deep", "end", "absent"}, text, marks, error))
      << error;
  const std::map<std::string, size_t> anchors = {{"top", 1}, {"mid", 3}, {"deep", 4}, {"end", 7}};
  EXPECT_EQ(marks.Anchors, anchors);
  const std::vector<TBookChapter> headings = {{u"Part. One", 1}, {u"Chapter 1", 4}};
  EXPECT_EQ(marks.Headings, headings);
  EXPECT_EQ(text.Lines().size(), 7u);
}

}  // namespace
}  // namespace sonacli

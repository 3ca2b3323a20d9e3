#include "book/description_text.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(DescriptionText, KeepsTheTextAndItsParagraphsOnly) {
  struct {
    const char* what;
    std::string description;
    std::string text;
  } const cases[] = {
      {"HTML as calibre escapes it into the package: paragraphs on lines of their own",
       "<div><p>A <b>great</b>\n novel.</p><p>In two&nbsp;parts &amp; more.<br/>By one.</p></div>",
       "A great novel.\nIn two parts & more.\nBy one."},
      {"tag soup, scripts and styles",
       "<p>Open<p>Again<script>alert(1)</script><style>p{}</style><ul><li>Item</ul>", "Open\nAgain\nItem"},
      {"plain text keeps the paragraphs between its empty lines and joins its wrapped lines",
       "First paragraph,\nwrapped.\n\n  \nSecond & last.", "First paragraph, wrapped.\nSecond & last."},
      {"text that is only markup or punctuation", "<p> </p><p>* * *</p>", ""},
      {"quotes, equals signs, semicolons and backslashes stay", "Say \"hi\"; a=b \\ c",
       "Say \"hi\"; a=b \\ c"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(DescriptionText(c.description)), c.text) << c.what;
}

}  // namespace
}  // namespace sonacli

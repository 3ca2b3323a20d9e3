#include "subtitles/html_entities.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(HtmlEntities, DecodesNamedAndNumberedReferences) {
  const struct {
    std::u16string_view text;
    std::u16string_view expected;
  } cases[] = {
      {u"Tom &amp; Jerry &lt;3", u"Tom & Jerry <3"},
      {u"&quot;Hi&quot; &apos;x&apos; a&gt;b", u"\"Hi\" 'x' a>b"},
      {u"&AMP; &LT;&GT; &NBSP;x&nbsp;", u"& <>  x "},  // old files write them in capitals
      {u"caf&eacute; &Eacute;cole na&iuml;ve &szlig; &yuml;",
       u"caf\u00E9 \u00C9cole na\u00EFve \u00DF \u00FF"},
      {u"Wait&hellip; &mdash;no&ndash; &laquo;x&raquo; &euro;5",
       u"Wait\u2026 \u2014no\u2013 \u00ABx\u00BB \u20AC5"},
      {u"&#233;t&#xE9; &#X41;&#65;", u"\u00E9t\u00E9 AA"},
      {u"&#128512;", u"\U0001F600"},
      {u"&#160;a&#9;b", u" a b"},  // a no-break space and controls become spaces
      // Not references: they stay as they are.
      {u"&Amp2; &eAcute; &unknown; &amp &#; &#x; &#0; &#xD800; &#1114112; &#12a;",
       u"&Amp2; &eAcute; &unknown; &amp &#; &#x; &#0; &#xD800; &#1114112; &#12a;"},
      {u"A & B && C;", u"A & B && C;"},
      {u"&&amp;&", u"&&&"},
      {u"&verylongname;", u"&verylongname;"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeHtmlEntities(c.text), c.expected) << ToUtf8(c.text);
}

}  // namespace
}  // namespace sonacli

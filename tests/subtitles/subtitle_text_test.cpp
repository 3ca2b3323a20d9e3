#include "subtitles/subtitle_text.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

struct Case {
  std::u16string_view text;
  std::u16string_view expected;
};

void ExpectCleaned(std::u16string (*clean)(std::u16string_view), std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(clean(c.text), c.expected) << ToUtf8(c.text);
}

TEST(SubtitleText, StripAngleTags) {
  ExpectCleaned(&StripAngleTags, {
                                     {u"<i>Hello</i> world", u"Hello world"},
                                     {u"a > b", u"a > b"},  // a ">" outside a tag stays
                                     {u"<b><i>x</i></b>", u"x"},
                                     {u"<a<b>c>d", u"c>d"},          // no nesting: the first ">" closes
                                     {u"text <unclosed", u"text "},  // the rest goes
                                     {u"<>", u""},
                                 });
}

TEST(SubtitleText, KeepLangTags) {
  ExpectCleaned(&KeepLangTags, {
                                   {u"{{lang=en-US}}Hello{{voice=x}} there", u"{{lang=en-US}}Hello there"},
                                   {u"{{LANG=de-DE}}Hallo", u"{{LANG=de-DE}}Hallo"},
                                   {u"{{pause=500}}x", u"x"},
                                   {u"a {{unclosed lang", u"a "},
                                   {u"{single} braces", u"{single} braces"},
                                   {u"}}{{", u"}}"},
                               });
}

TEST(SubtitleText, StripOverrideBlocks) {
  ExpectCleaned(&StripOverrideBlocks, {
                                          {u"{\\i1}Hello{\\i0}, world", u"Hello, world"},
                                          {u"{{lang=en}}x{\\b1}y", u"{{lang=en}}xy"},
                                          {u"{\\pos(1,2)}{{lang=en}}z", u"{{lang=en}}z"},
                                          {u"a {unclosed", u"a {unclosed"},
                                          {u"a}b{c", u"a}b{c"},
                                          {u"{a}}b}", u""},  // "}}" is no single brace
                                      });
}

TEST(SubtitleText, CleanCueTextAndBlankLines) {
  EXPECT_EQ(CleanCueText(u"  <i>{{lang=en}}Hi{{x}}</i> "), u"{{lang=en}}Hi");
  EXPECT_TRUE(IsBlankLine(u""));
  EXPECT_TRUE(IsBlankLine(u" \t\u0001"));
  EXPECT_FALSE(IsBlankLine(u" \u00A0"));
  EXPECT_EQ(ReplaceCaseless(u"a&NBSP;b&nbsp;&Nbsp", u"&nbsp;", u" "), u"a b &Nbsp");
}

}  // namespace
}  // namespace sonacli

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

TEST(SubtitleText, KeepLangAndChapterTags) {
  ExpectCleaned(&KeepLangAndChapterTags,
                {
                    {u"{{lang=en-US}}Hello{{voice=x}} there", u"{{lang=en-US}}Hello there"},
                    {u"{{LANG=de-DE}}Hallo", u"{{LANG=de-DE}}Hallo"},
                    {u"{{pause=500}}x", u"x"},
                    {u"{{Chapter=Part 1}}x{{audio=a.wav}}", u"{{Chapter=Part 1}}x"},
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
                                          // Drawings are shapes: "m 0 0 l 716 0 ..." is not said.
                                          {u"{\\p1}m 0 0 l 716 0 716 70 0 70{\\p0}Sign", u"Sign"},
                                          {u"A{\\an7\\p2\\pos(1,2)}m 0 0 b 1 1 2 2{\\p0\\i1}B", u"AB"},
                                          {u"{\\p1}m 0 0 l 10 0 10 10", u""},  // to the end
                                          {u"{\\pos(1,2)\\pbo5}kept{\\p}kept", u"keptkept"},
                                          {u"{\\p1}m 0 0{\\p0}A{\\p3}l 1 1{\\b1\\p0}B", u"AB"},
                                      });
}

TEST(SubtitleText, StripSrtOverrideBlocks) {
  ExpectCleaned(&StripSrtOverrideBlocks,
                {
                    {u"{\\an8}Top line", u"Top line"},
                    {u"{\\i1}a{\\i0} {laughs} {{lang=en}}b", u"a {laughs} {{lang=en}}b"},
                    {u"{\\p1}m 0 0 l 716 0{\\p0}Sign", u"Sign"},
                    {u"a {\\an8 unclosed", u"a {\\an8 unclosed"},
                });
}

TEST(SubtitleText, StripMarkupTagsKeepsWhatIsNoTag) {
  ExpectCleaned(&StripMarkupTags, {
                                      {u"2<3,5>1,4<6", u"2<3,5>1,4<6"},
                                      {u"a < b and c > d", u"a < b and c > d"},
                                      {u"<i>Hi</i> <B>there</B><br/><br />x", u"Hi therex"},
                                      {u"<font color=\"#ff0000\">Red</font> 1<2", u"Red 1<2"},
                                      {u"<c.yellow>Sign</c>", u"Sign"},
                                      {u"<i x<b>y", u"<i xy"},  // a "<" ends what could be attributes
                                      {u"<", u"<"},
                                      {u"<i", u"<i"},
                                      {u"</", u"</"},
                                      {u"<br/", u"<br/"},
                                  });
}

TEST(SubtitleText, ReplaceBreakCodes) {
  ExpectCleaned(&ReplaceBreakCodes, {
                                        {u"One\\Ntwo\\nthree\\hfour", u"One two three four"},
                                        {u"a\\b \\ c\\", u"a\\b \\ c\\"},
                                        {u"\\\\N", u"\\ "},
                                    });
}

TEST(SubtitleText, CleanersOfWholeCuesAndBlankLines) {
  ExpectCleaned(&CleanSrtText, {
                                   {u"  <i>{{lang=en}}Hi{{x}}</i> ", u"{{lang=en}}Hi"},
                                   {u"{\\an8}<i>Sign</i>\\Nhere\\h", u"Sign here"},
                                   {u"Tom &amp; Jerry", u"Tom &amp; Jerry"},  // SRT has no references
                               });
  ExpectCleaned(&CleanVttText, {
                                   {u"  <i>{{lang=en}}Hi{{x}}</i> ", u"{{lang=en}}Hi"},
                                   {u"<v Tom>Tom &amp; Jerry &lt;3</v>&nbsp;", u"Tom & Jerry <3"},
                               });
  EXPECT_TRUE(IsBlankLine(u""));
  EXPECT_TRUE(IsBlankLine(u" \t\u0001"));
  EXPECT_FALSE(IsBlankLine(u" \u00A0"));
}

}  // namespace
}  // namespace sonacli

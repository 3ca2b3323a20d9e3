#include "input/input_filters.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

struct FilterCase {
  std::u16string_view text;  // lines joined by CR LF
  TFilterFlags flags;
  std::u16string_view expected;
};

constexpr TFilterFlags kSquare{.SquareBrackets = true};
constexpr TFilterFlags kCurly{.CurlyBrackets = true};
constexpr TFilterFlags kAngle{.AngleBrackets = true};
constexpr TFilterFlags kRound{.RoundBrackets = true};
constexpr TFilterFlags kUrls{.Urls = true};
constexpr TFilterFlags kComments{.Comments = true};
constexpr TFilterFlags kAll{true, true, true, true, true, true};

constexpr FilterCase kCases[] = {
    // Brackets: the space before goes when punctuation, a space or a line end follows.
    {u"text [note], more", kSquare, u"text, more"},
    {u"text [note] more", kSquare, u"text more"},
    {u"text [note]\r\nnext", kSquare, u"text\r\nnext"},
    {u"a [b]c", kSquare, u"a c"},
    {u"слово [x]…", kSquare, u"слово…"},
    {u"([1] here)", kSquare, u"(here)"},
    {u"a\r\n[note]\r\nb", kSquare, u"a\r\nb"},
    {u"x [a [b] c] y", kSquare, u"x c] y"},
    {u"a [b]]] c", kSquare, u"a c"},
    {u"a [b] c [d] e [f", kSquare, u"a c e [f"},
    {u"a ]b[ c", kSquare, u"a ]b[ c"},
    {u"a {x} b", kCurly, u"a b"},
    {u"<b>bold</b> text", kAngle, u"bold text"},
    {u"see (note). End", kRound, u"see. End"},
    {u"keep [this] (and this)", kRound, u"keep [this]"},
    // URLs: sentence punctuation stays, enclosing brackets go, scheme case matters.
    {u"See http://example.com/a.", kUrls, u"See ."},
    {u"Go (http://x.org/p) now", kUrls, u"Go  now"},
    {u"Go <https://x.org/p>, now", kUrls, u"Go , now"},
    {u"(link: https://x.org/p)", kUrls, u"(link: )"},
    {u"[see ftp://h/f] x", kUrls, u"[see ] x"},
    {u"in (see https://a.b/c, ok)", kUrls, u"in (see , ok)"},
    {u"HTTP://X.ORG stays", kUrls, u"HTTP://X.ORG stays"},
    {u"a\r\nhttp://x.org\r\nb", kUrls, u"a\r\nb"},
    {u"q \"file://c/d\" ssh://h\u00A0z", kUrls, u"q \"\" \u00A0z"},
    {u"http://a http://b text", kUrls, u"  text"},
    // Comments: blocks first, then lines; the slashes of a URL scheme are no comment.
    {u"a /* b */ c", kComments, u"a  c"},
    {u"x // y\r\nz", kComments, u"x \r\nz"},
    {u"a /* one */ b /* two", kComments, u"a  b /* two"},
    {u"see http://x.org/a // note", kComments, u"see http://x.org/a "},
    {u"see HTTPS://x.org/a", kComments, u"see HTTPS://x.org/a"},
    {u"a:// b", kComments, u"a:"},
    {u"a /* x\r\ny */ b // c", kComments, u"a  b "},
    // The filters run in order: brackets, URLs, comments.
    {u"[a] (http://x.y) /* c */ d", kAll, u"  d"},
    // Trimming: line ends and tabs at both ends go, spaces stay.
    {u"\r\n\t\r\n", TFilterFlags{}, u""},
    {u"\r\n  lead\r\nx\r\n\t", TFilterFlags{}, u"  lead\r\nx"},
    {u"   ", TFilterFlags{}, u"   "},
};

TEST(FilterInputText, GivesTheExpectedTextForEachCase) {
  for (const FilterCase& c : kCases) {
    std::u16string result = JoinLines(FilterInputText(SplitIntoLines(c.text), c.flags));
    EXPECT_EQ(ToUtf8(result), ToUtf8(c.expected)) << "input: " << ToUtf8(c.text);
  }
}

TEST(FilterInputText, DisabledFiltersKeepEverything) {
  const std::vector<std::u16string> lines = {u"[a] {b} <c> (d) http://e /* f */ // g"};
  EXPECT_EQ(FilterInputText(lines, TFilterFlags{}), lines);
}

TEST(FilterInputText, AllWhiteInputBecomesEmpty) {
  EXPECT_TRUE(FilterInputText({u"", u"\t", u"", u"\t\t"}, TFilterFlags{}).empty());
  EXPECT_TRUE(FilterInputText({u"[only a note]"}, kSquare).empty());
}

}  // namespace
}  // namespace sonacli
